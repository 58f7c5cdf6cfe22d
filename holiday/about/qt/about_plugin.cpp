// libdovrel60-about.so: the about box's toolkit, loaded by libdovrel60.so
// only when a host asks for the about box.
#include "about/qt/about_window.h"

extern "C" __attribute__((visibility("default"))) int DovrelShowAboutDialog(const DovrelAboutDialog* dialog) {
  return dovrel::about::ShowAboutDialog(dialog);
}
