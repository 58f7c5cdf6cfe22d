#include "rcgen/windows_constants.h"

#include <map>

namespace rcgen {

std::optional<long long> WindowsConstant(const std::string& name) {
  static const std::map<std::string, long long> values = {
      {"VS_FFI_FILEFLAGSMASK", 0x3F}, {"VS_FF_DEBUG", 0x1},          {"VS_FF_PRERELEASE", 0x2},
      {"VS_FF_PATCHED", 0x4},         {"VS_FF_PRIVATEBUILD", 0x8},   {"VS_FF_INFOINFERRED", 0x10},
      {"VS_FF_SPECIALBUILD", 0x20},   {"VOS_UNKNOWN", 0},            {"VOS_NT", 0x40000},
      {"VOS__WINDOWS32", 0x4},        {"VOS_NT_WINDOWS32", 0x40004}, {"VFT_UNKNOWN", 0},
      {"VFT_APP", 1},                 {"VFT_DLL", 2},                {"VFT_STATIC_LIB", 7},
      {"VFT2_UNKNOWN", 0},            {"LANG_NEUTRAL", 0},           {"LANG_ENGLISH", 0x09},
      {"LANG_JAPANESE", 0x11},        {"SUBLANG_NEUTRAL", 0},        {"SUBLANG_DEFAULT", 1},
      {"SUBLANG_ENGLISH_US", 1},      {"SUBLANG_JAPANESE_JAPAN", 1}, {"VS_VERSION_INFO", 1},
      // Dialogs: window, dialog, static, button and edit styles, common ids.
      {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000LL}, {"WS_CHILD", 0x40000000}, {"WS_MINIMIZE", 0x20000000},
      {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000}, {"WS_CLIPSIBLINGS", 0x04000000},
      {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000},
      {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000},
      {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000},
      {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
      {"WS_MAXIMIZEBOX", 0x00010000}, {"WS_EX_DLGMODALFRAME", 0x1}, {"WS_EX_TOPMOST", 0x8},
      {"WS_EX_TRANSPARENT", 0x20}, {"WS_EX_TOOLWINDOW", 0x80}, {"WS_EX_CLIENTEDGE", 0x200},
      {"WS_EX_CONTEXTHELP", 0x400}, {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_APPWINDOW", 0x40000},
      {"DS_ABSALIGN", 0x1}, {"DS_SYSMODAL", 0x2}, {"DS_3DLOOK", 0x4}, {"DS_FIXEDSYS", 0x8},
      {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40}, {"DS_MODALFRAME", 0x80},
      {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200}, {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800},
      {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
      {"SS_LEFT", 0x0}, {"SS_CENTER", 0x1}, {"SS_RIGHT", 0x2}, {"SS_ICON", 0x3}, {"SS_BLACKRECT", 0x4},
      {"SS_GRAYRECT", 0x5}, {"SS_WHITERECT", 0x6}, {"SS_BLACKFRAME", 0x7}, {"SS_GRAYFRAME", 0x8},
      {"SS_WHITEFRAME", 0x9}, {"SS_SIMPLE", 0xB}, {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_BITMAP", 0xE},
      {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11}, {"SS_ETCHEDFRAME", 0x12}, {"SS_NOPREFIX", 0x80},
      {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200}, {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000},
      {"BS_PUSHBUTTON", 0x0}, {"BS_DEFPUSHBUTTON", 0x1}, {"BS_CHECKBOX", 0x2}, {"BS_AUTOCHECKBOX", 0x3},
      {"BS_RADIOBUTTON", 0x4}, {"BS_GROUPBOX", 0x7}, {"BS_AUTORADIOBUTTON", 0x9}, {"BS_MULTILINE", 0x2000},
      {"BS_FLAT", 0x8000}, {"ES_LEFT", 0x0}, {"ES_CENTER", 0x1}, {"ES_RIGHT", 0x2}, {"ES_MULTILINE", 0x4},
      {"ES_AUTOHSCROLL", 0x80}, {"ES_READONLY", 0x800}, {"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1},
  };
  auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

}  // namespace rcgen
