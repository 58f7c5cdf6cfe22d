// The about box as Qt widgets, built from the dialog description the library
// hands over (about_dialog.h): the same controls, texts and layout in dialog
// units as the resource script gives the Windows dialog.
#pragma once

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "about/about_dialog.h"

namespace dovrel::about {

// Dialog units: a quarter of the dialog font's average character width and
// an eighth of its height, as the platform measures them (the average
// width of the 52 Latin letters, rounded).
struct DialogBaseUnits {
  int x;
  int y;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);
QRect ToPixels(DialogBaseUnits units, int x, int y, int cx, int cy);

// Where a window of the given outer size sits when centred on the screen.
QPoint CentredTopLeft(const QRect& screen, const QSize& window);

// The text a static control shows: an ampersand marks an access key (and
// "&&" is one ampersand) unless the control says SS_NOPREFIX.
QString StaticText(const char16_t* text, bool noPrefix);

// The picture of a BITMAP resource (a DIB without its file header).
QPixmap PixmapFromDib(const unsigned char* dib, unsigned size);

// The dialog font: the script's face, with the Japanese faces of this
// platform behind it for glyphs it lacks.
QFont DialogFont(const DovrelAboutDialog& dialog);

class AboutWindow : public QDialog {
 public:
  AboutWindow(const DovrelAboutDialog& dialog, QWidget* owner);

  // A control by its dialog identifier; nullptr when there is none.
  QWidget* Control(unsigned id) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void AddControl(const DovrelDialogControl& control, DialogBaseUnits units);

  const DovrelAboutDialog& dialog_;
};

// Shows the dialog modally: 1 when it was shown and closed, 0 when no
// dialog can be shown in this process.
int ShowAboutDialog(const DovrelAboutDialog* dialog);

}  // namespace dovrel::about
