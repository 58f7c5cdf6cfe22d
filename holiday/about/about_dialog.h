// The about box's toolkit on this platform: a plugin (libdovrel60-about.so,
// built on Qt Widgets) that libdovrel60.so loads from the folder dovrel60/
// beside itself only when a host asks for the about box, so that the
// library never brings a GUI toolkit into hosts that have none.
//
// The library hands the plugin a plain description: the dialog of the
// resource script (dialog units, controls and texts), the picture, the build
// line for its control, and what to call when the system information button
// is pressed. Everything the dialog decides is decided in the library; the
// plugin only builds widgets from the description and runs them modally.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

struct DovrelDialogControl {
  unsigned id;
  unsigned style;
  unsigned exStyle;
  short x, y, cx, cy;          // dialog units
  int classOrdinal;            // 0x80 button, 0x82 static, ... (-1: named class)
  const char16_t* className;   // when classOrdinal is -1
  const char16_t* text;        // when textOrdinal is -1
  int textOrdinal;             // a resource number (the bitmap of a picture)
};

struct DovrelAboutDialog {
  unsigned size;  // sizeof(DovrelAboutDialog), for later growth
  const char16_t* caption;
  const char16_t* fontName;
  int pointSize;
  int weight;
  int italic;
  unsigned style;
  short cx, cy;  // client size in dialog units
  const DovrelDialogControl* controls;
  unsigned controlCount;
  // The picture: a device-independent bitmap as a BITMAP resource holds it
  // (BITMAPINFOHEADER and pixels, without the file header), and its number.
  const unsigned char* bitmap;
  unsigned bitmapSize;
  int bitmapId;
  // The control that shows the build line, and the line.
  unsigned buildLineControl;
  const char16_t* buildLine;
  // The button that starts the system information tool, and what it calls.
  unsigned systemInfoControl;
  void (*startSystemInformation)(void* context);
  void* context;
};

// Shows the dialog modally and returns when it is closed: 1. Returns 0 at
// once when no dialog can be shown here (no display, or a host whose GUI
// thread is another one).
typedef int (*DovrelShowAboutDialogFunction)(const struct DovrelAboutDialog* dialog);
#define DOVREL_SHOW_ABOUT_DIALOG "DovrelShowAboutDialog"

#ifdef __cplusplus
}
#endif
