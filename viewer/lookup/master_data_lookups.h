#pragma once
// The provider's and the persons' names, looked up in the provider's
// database for a claim on display, each with what became of its look-up:
// found, no matching row, or no usable database or a failed look-up.

#include <string>

#include "claim/claim_view.h"

namespace pellora {

// The database the names come from: whether it was found usable, and where.
struct NameDatabase {
  bool found = false;
  std::u16string path;
};

// The provider's name, from m_pvd by the claim's provider number. A number
// no row has leaves the name as it was.
void LookupProviderName(ClaimView& claim, const NameDatabase& database);

// Every display row's person's name, from m_insd by the row's insured-person
// and insurer numbers. A row whose numbers no row of the table has keeps its
// name as it was; a failure marks every row unavailable, those already
// named keeping their names.
void LookupInsuredNames(ClaimView& claim, const NameDatabase& database);

}  // namespace pellora
