// libdovrel60.so: the frame, the objects and the automation layer in one
// module. The table below names every C function of the layer, so that the
// linker keeps all of them (a host may call any through
// DovrelBindAutomationServices) even where the library itself uses none.
#include "automation/exported_services.h"
#include "automation/module_resources.h"
#include "automation/notify_target.h"
#include "automation/type_library.h"

namespace {

#define DOVREL_KEEP(name) reinterpret_cast<const void*>(&name),
[[gnu::used]] const void* const keptServices[] = {
    AUTOMATION_HOST_SERVICES(DOVREL_KEEP) AUTOMATION_MODULE_HOOKS(DOVREL_KEEP)};
#undef DOVREL_KEEP

}  // namespace
