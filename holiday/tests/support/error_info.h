// The thread's error information as the tests read it: what a failing call
// raised, a sentinel to show that a call left it alone, and the check that a
// failure raised the right text from the right source.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/com.h"

namespace testsupport {

// Everything IErrorInfo tells a client.
struct Raised {
  std::u16string description;
  std::u16string source;
  std::u16string helpFile;
  // Not 0: a help context that is never written shows as itself.
  DWORD helpContext = 99;
  GUID iid{};
};

// The thread's current error information, taken (and so cleared); nothing
// when there is none.
std::optional<Raised> TakeErrorInfo();

// Leaves a recognisable error information on the thread, to show that a
// failure without error information does not touch it.
void PlantSentinelErrorInfo();
// Takes the thread's error information: true when it is still the sentinel.
bool SentinelErrorInfoStillThere();

// Expects hr to be the code and the thread's error information (taken) to
// carry the text, the raising class's program identifier and the interface.
void ExpectRaised(HRESULT hr, HRESULT code, std::u16string_view text, std::u16string_view source, REFIID iid);

}  // namespace testsupport
