#pragma once
// File kind and header labels: which kind of claim file the raw record grid
// holds and its year-month, written to the header's labels. The provider's
// number and name are the pipeline's and the look-up's; ClearHead empties
// them with the rest.

#include <span>

#include "controls/controls.h"
#include "grid/flex_grid.h"

namespace pellora {

// Empties the captions of the header values: the file kind, its year-month,
// the provider's number and name. Colours and the captions beside the
// values stay.
void ClearHead(std::span<Label> head);

// The kind of the claim file in `raw` into `kind`: the first data record
// that carries one of the kinds' record-type codes decides. With none,
// `kind` keeps what it had.
void SetFileKind(const FlexGrid& raw, Label& kind);

// The year-month of the file kind in `kind` into `yearMonth`, and the words
// for it into `caption`: a claim file's processing year-month, a
// benefit-management file's submission year-month. For a file of undecided
// kind neither label changes.
void SetHeadYearMonth(const FlexGrid& raw, const Label& kind, Label& yearMonth, Label& caption);

}  // namespace pellora
