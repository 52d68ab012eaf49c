// The command tables of the main window (see commands.h).
#include "app/gui/commands.h"

#include <iterator>

namespace kelvra {

using E = EnableRule;
using C = CheckRule;
using I = ToolImage;

const CommandInfo kCommands[] = {
    // id                  menu text                        status-bar prompt                 tooltip          enabled       checked         image
    {IdFileOpen,         "開く(&O)\tCtrl+O",              "ﾃﾞｰﾀﾌｧｲﾙを開く",                 "開く",          E::Always,     C::Never,        I::Open},
    {IdFileReload,       "再読み込み(&E)\tF5",            "ﾃﾞｰﾀﾌｧｲﾙの再読み込み",           "再読み込み",    E::DataLoaded, C::Never,        I::Reload},
    {IdFileAutoReload,   "自動再読み込み(&A)",            "ﾃﾞｰﾀﾌｧｲﾙが更新されたら再読み込みする", "自動再読み込み", E::DataLoaded, C::AutoReload, I::AutoReload},
    {IdFileSave,         "保存(&S)\tCtrl+S",              "Kelvraﾃﾞｰﾀの保存",               "保存",          E::DataLoaded, C::Never,        I::Save},
    {IdFileSaveImage,    "画像の保存(&I)",                "画像を保存する",                 "画像保存",      E::DataLoaded, C::Never,        I::SaveImage},
    {IdFilePrint,        "印刷(&P).\tCtrl+P",             "作業中のﾌｧｲﾙを印刷",             "印刷",          E::DataLoaded, C::Never,        I::None},
    {IdFilePrintPreview, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)",               "印刷ｲﾒｰｼﾞを表示",                "印刷ﾌﾟﾚﾋﾞｭｰ",   E::DataLoaded, C::Never,        I::None},
    {IdFilePrintSetup,   "ﾌﾟﾘﾝﾀの設定(&R)",               "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更",         "印刷設定",      E::DataLoaded, C::Never,        I::None},
    {IdFileRecent,       "最近使ったﾌｧｲﾙ",                "最近使ったﾌｧｲﾙを開く",           "",              E::RecentFiles,     C::Never,        I::None},
    {IdAppExit,          "終了(&X)\tCtrl+Q",              "終了する",                       "終了",          E::Always,     C::Never,        I::None},
    {IdEditCopy,         "ｺﾋﾟｰ(&C)\tCtrl+C",              "ｸﾞﾗﾌをｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰする",     "ｺﾋﾟｰ",          E::DataLoaded, C::Never,        I::Copy},
    {IdGraphSettings,    "ｸﾞﾗﾌの設定(&S)",                "グラフの設定",                   "設定",          E::DataLoaded, C::Never,        I::Settings},
    {IdSettingsFileOpen, "設定ﾌｧｲﾙを開く(&O)",            "設定ﾌｧｲﾙを開く",                 "開く",          E::DataLoaded, C::Never,        I::None},
    {IdSettingsFileSave, "設定ﾌｧｲﾙの保存(&S)",            "設定ﾌｧｲﾙの保存",                 "",              E::DataLoaded, C::Never,        I::None},
    {IdViewToolbar,      "ﾂｰﾙ ﾊﾞｰ(&T)",                   "ﾂｰﾙ ﾊﾞｰの表示/非表示",           "ﾂｰﾙ ﾊﾞｰの表示/非表示", E::Always, C::ToolbarShown, I::None},
    {IdViewStatusBar,    "ｽﾃｰﾀｽ ﾊﾞｰ(&S)",                 "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示",         "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示", E::Always, C::StatusBarShown, I::None},
    {IdHelpContents,     "目次(&H)",                      "ﾍﾙﾌﾟ ﾄﾋﾟｯｸの一覧",               "ﾍﾙﾌﾟ ﾄﾋﾟｯｸ",    E::Always,     C::Never,        I::None},
    {IdHelpDownload,     "最新版のﾀﾞｳﾝﾛｰﾄﾞ",              "最新版をﾀﾞｳﾝﾛｰﾄﾞする",           "",              E::Always,     C::Never,        I::None},
    {IdAppAbout,         "ﾊﾞｰｼﾞｮﾝ情報(&A)...",            "ﾊﾞｰｼﾞｮﾝの表示",                  "ﾊﾞｰｼﾞｮﾝ情報",   E::Always,     C::Never,        I::None},
    {IdModeMove,         nullptr,                         "グラフの移動",                   "移動",          E::DataLoaded, C::ModeMove,     I::Move},
    {IdModeZoom,         nullptr,                         "グラフの拡大、縮小",             "拡大、縮小",    E::DataLoaded, C::ModeZoom,     I::Zoom},
    {IdModeRotate,       nullptr,                         "グラフの回転",                   "回転",          E::Rotate,     C::ModeRotate,   I::Rotate},
    {IdModeSection,      nullptr,                         "グラフの断面位置の変更",         "断面位置",      E::Section,    C::ModeSection,  I::Section},
    {IdModePick,         nullptr,                         "数値ﾃﾞｰﾀを表示する",             "数値ﾃﾞｰﾀ",      E::DataLoaded, C::ModePick,     I::Pick},
    {IdViewReset,        nullptr,                         "ｸﾞﾗﾌ表示位置のﾘｾｯﾄ",             "位置ﾘｾｯﾄ",      E::DataLoaded, C::Never,        I::Reset},
    {IdPlaneXY,          nullptr,                         "X-Y平面表示",                    "X-Y",           E::DataLoaded, C::Never,        I::PlaneXY},
    // The two side views carry the names of the planes they actually show.
    {IdPlaneXZ,          nullptr,                         "X-Z平面表示",                    "X-Z",           E::DataLoaded, C::Never,        I::PlaneXZ},
    {IdPlaneYZ,          nullptr,                         "Y-Z平面表示",                    "Y-Z",           E::DataLoaded, C::Never,        I::PlaneYZ},
};
const std::size_t kCommandCount = std::size(kCommands);

const CommandInfo* findCommand(int id) {
    for (const CommandInfo& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

const MenuInfo kMenus[] = {
    {"ﾌｧｲﾙ(&F)",
     {IdFileOpen, IdFileReload, IdFileAutoReload, 0, IdFileSave, IdFileSaveImage, 0, IdFilePrint, IdFilePrintPreview,
      IdFilePrintSetup, 0, IdFileRecent, 0, IdAppExit},
     14},
    {"編集(&E)", {IdEditCopy}, 1},
    {"設定(&S)", {IdGraphSettings, 0, IdSettingsFileOpen, IdSettingsFileSave}, 4},
    {"表示(&V)", {IdViewToolbar, IdViewStatusBar}, 2},
    {"ﾍﾙﾌﾟ(&H)", {IdHelpContents, 0, IdHelpDownload, 0, IdAppAbout}, 5},
};
const std::size_t kMenuCount = std::size(kMenus);

const int kToolbarButtons[] = {
    IdFileOpen, IdFileReload, IdFileAutoReload, 0, IdFileSave, 0, IdFileSaveImage, 0, IdEditCopy, 0, IdGraphSettings, 0,
    IdModeMove, IdModeZoom, IdModeRotate, IdModeSection, 0, IdModePick, 0,
    IdViewReset, IdPlaneXY, IdPlaneXZ, IdPlaneYZ,
};
const std::size_t kToolbarButtonCount = std::size(kToolbarButtons);

const char* const kIdleMessage = " 矢印ｷｰまたは、ﾏｳｽの左ﾎﾞﾀﾝ＋ﾏｳｽ移動で視点を変更";
const char* const kInitialPaneTexts[4] = {
    "[位置] X=+000,Y=+000",
    "[倍率] 100(%)",
    "[角度] X=030(deg),Z=330(deg)",
    "[表示] 3次元 ",
};

}  // namespace kelvra
