// The enumerator both collections hand out from _NewEnum: an IEnumVARIANT
// over a copy of the members taken when it was made, so that later changes
// to the collection (Clear included) do not touch it.
#pragma once

#include <vector>

#include "dovrel60.h"

namespace dovrel {

// Copies the members (each as a VT_DISPATCH VARIANT, adding a reference) and
// returns a new enumerator at the first of them. S_OK with a null result when
// the copy cannot be made; 0x800A0007 when the enumerator itself cannot be.
HRESULT CreateSnapshotEnumerator(const std::vector<IDispatch*>& members, IUnknown** out);

}  // namespace dovrel
