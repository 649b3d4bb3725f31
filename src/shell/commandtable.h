#pragma once
// Every command of the main window as one row: its menu item (name, caption, shortcut, the
// other keys that run it), its toolbar button (place, tool tip, icon) and its hidden command
// button, and what it runs. The rows stand in menu order, each menu followed by its items;
// the window builds its menus, toolbar and hidden buttons from them, and routes and enables
// through the command. A new command is one row here and its case in MainWindow::execute().

#include "commands/command.h"

#include <QtGlobal>
#include <array>

namespace quenbry {

enum class ToolIcon { None, New, Save, Open, Print, Browser, Cut, Copy, Paste, Undo, Redo };

// The toolbar button of a command: its object name, its left edge in twips (all are square,
// toolButtonSize, at the top), tool tip and icon.
struct ToolButton {
    const char *name = nullptr;
    int left = 0;
    const char *tooltip = nullptr;
    ToolIcon icon = ToolIcon::None;
};

inline constexpr int toolButtonSize = 375; // twips

struct CommandRow {
    enum Kind { Menu, Item, Separator };
    // Nested: the row is a submenu of the menu above it, or belongs to the submenu above it.
    // Radio: a checkable item whose check its submenu's other Radio items give up.
    // MenuBarOnly: an Edit item that the editor's right-click pop-up leaves out.
    enum Flags { Hidden = 1, Checkable = 2, Checked = 4, Nested = 8, Radio = 16, MenuBarOnly = 32 };

    Kind kind;
    const char *name;    // the menu item's object name (also the menu's, for a menu)
    const char *caption; // translatable, in the "CommandTable" context
    Command command = Command::None;
    const char *shortcut = ""; // portable key sequence text
    // A key that runs the command besides its shortcut, as in the text fields of every desktop;
    // the menu shows only the shortcut.
    const char *alternateKey = "";
    unsigned flags = 0;
    // The Tags item's markup; the toolbar button a View item shows and hides; an encoding's
    // name; a recent page's number.
    const char *argument = nullptr;
    ToolButton toolButton = {};
    const char *hiddenButton = nullptr; // never shown; scripts click it
};

#define QUENBRY_CAPTION(text) QT_TRANSLATE_NOOP("CommandTable", text)

// A recent page's item: its caption ("&1 page.html") is the window's to give, and it is hidden
// while the list holds no page for it.
constexpr CommandRow recentPageRow(const char *name, const char *number) {
    return {CommandRow::Item,
            name,
            "",
            Command::OpenRecent,
            "",
            "",
            CommandRow::Nested | CommandRow::Hidden,
            number};
}

// clang-format off
inline constexpr std::array commandTable{
    CommandRow{CommandRow::Menu, "mnufile", QUENBRY_CAPTION("File")},
    CommandRow{CommandRow::Item, "mnuname", QUENBRY_CAPTION("New"), Command::New, "Ctrl+N", "", 0, nullptr,
               {"XPButton1", 120, QUENBRY_CAPTION("New File"), ToolIcon::New}, "Command1"},
    CommandRow{CommandRow::Item, "mnuopen", QUENBRY_CAPTION("Open"), Command::Open, "Ctrl+O", "", 0, nullptr,
               {"XPButton3", 840, QUENBRY_CAPTION("Open"), ToolIcon::Open}, "Command2"},
    CommandRow{CommandRow::Separator, "mnusep", "-"},
    CommandRow{CommandRow::Item, "mnusave", QUENBRY_CAPTION("Save"), Command::Save, "Ctrl+S", "", 0, nullptr,
               {"XPButton2", 480, QUENBRY_CAPTION("Save"), ToolIcon::Save}, "Command7"},
    CommandRow{CommandRow::Item, "mnusaveas", QUENBRY_CAPTION("Save As"), Command::SaveAs},
    CommandRow{CommandRow::Menu, "mnuencoding", QUENBRY_CAPTION("Encoding"), Command::None, "", "",
               CommandRow::Nested},
    CommandRow{CommandRow::Item, "mnuencwindows1252", QUENBRY_CAPTION("Western (Windows-1252)"), Command::SetEncoding,
               "", "", CommandRow::Nested | CommandRow::Radio | CommandRow::Checked, "Windows-1252"},
    CommandRow{CommandRow::Item, "mnuencutf8", QUENBRY_CAPTION("Unicode (UTF-8)"), Command::SetEncoding, "", "",
               CommandRow::Nested | CommandRow::Radio, "UTF-8"},
    CommandRow{CommandRow::Item, "mnuencutf8bom", QUENBRY_CAPTION("Unicode (UTF-8 with BOM)"), Command::SetEncoding,
               "", "", CommandRow::Nested | CommandRow::Radio, "UTF-8 with BOM"},
    CommandRow{CommandRow::Item, "mnuencutf16le", QUENBRY_CAPTION("Unicode (UTF-16 LE)"), Command::SetEncoding, "",
               "", CommandRow::Nested | CommandRow::Radio, "UTF-16 LE"},
    CommandRow{CommandRow::Item, "mnuencutf16be", QUENBRY_CAPTION("Unicode (UTF-16 BE)"), Command::SetEncoding, "",
               "", CommandRow::Nested | CommandRow::Radio, "UTF-16 BE"},
    CommandRow{CommandRow::Menu, "mnureopenas", QUENBRY_CAPTION("Reopen with Encoding"), Command::None, "", "",
               CommandRow::Nested},
    CommandRow{CommandRow::Item, "mnureopenwindows1252", QUENBRY_CAPTION("Western (Windows-1252)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "Windows-1252"},
    CommandRow{CommandRow::Item, "mnureopenutf8", QUENBRY_CAPTION("Unicode (UTF-8)"), Command::ReopenWithEncoding, "",
               "", CommandRow::Nested, "UTF-8"},
    CommandRow{CommandRow::Item, "mnureopenutf8bom", QUENBRY_CAPTION("Unicode (UTF-8 with BOM)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "UTF-8 with BOM"},
    CommandRow{CommandRow::Item, "mnureopenutf16le", QUENBRY_CAPTION("Unicode (UTF-16 LE)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "UTF-16 LE"},
    CommandRow{CommandRow::Item, "mnureopenutf16be", QUENBRY_CAPTION("Unicode (UTF-16 BE)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "UTF-16 BE"},
    CommandRow{CommandRow::Item, "mnuftp", QUENBRY_CAPTION("FTP Upload"), Command::FtpUpload, "Ctrl+U", "",
               CommandRow::Hidden},
    CommandRow{CommandRow::Separator, "mnusep1", "-"},
    CommandRow{CommandRow::Item, "mnuqpreview", QUENBRY_CAPTION("Quick Preview"), Command::QuickPreview, "", "",
               CommandRow::Hidden},
    CommandRow{CommandRow::Item, "mnupre", QUENBRY_CAPTION("Preview in browser"), Command::PreviewInBrowser, "", "",
               0, nullptr, {"XPButton5", 1680, QUENBRY_CAPTION("Preview in Browser"), ToolIcon::Browser},
               "Command5"},
    CommandRow{CommandRow::Item, "mnupreviewremote", QUENBRY_CAPTION("Load Remote Content in Preview"),
               Command::PreviewRemoteContent, "", "", CommandRow::Checkable},
    CommandRow{CommandRow::Item, "mnuprint", QUENBRY_CAPTION("Print"), Command::Print, "Ctrl+P", "", 0, nullptr,
               {"XPButton4", 1320, QUENBRY_CAPTION("Print Source Code"), ToolIcon::Print}, "Command11"},
    CommandRow{CommandRow::Menu, "mnurecent", QUENBRY_CAPTION("Recent Pages"), Command::None, "", "",
               CommandRow::Nested},
    recentPageRow("mnurecent1", "1"),
    recentPageRow("mnurecent2", "2"),
    recentPageRow("mnurecent3", "3"),
    recentPageRow("mnurecent4", "4"),
    recentPageRow("mnurecent5", "5"),
    recentPageRow("mnurecent6", "6"),
    recentPageRow("mnurecent7", "7"),
    recentPageRow("mnurecent8", "8"),
    recentPageRow("mnurecent9", "9"),
    CommandRow{CommandRow::Separator, "mnurecentsep", "-", Command::None, "", "", CommandRow::Nested},
    CommandRow{CommandRow::Item, "mnurecentclear", QUENBRY_CAPTION("Clear List"), Command::ClearRecentPages, "", "",
               CommandRow::Nested},
    CommandRow{CommandRow::Separator, "mnusep2", "-"},
    CommandRow{CommandRow::Item, "mnuexit", QUENBRY_CAPTION("Exit"), Command::Exit},
    CommandRow{CommandRow::Menu, "mnuedit", QUENBRY_CAPTION("Edit")},
    CommandRow{CommandRow::Item, "mnuundo", QUENBRY_CAPTION("Undo"), Command::Undo, "Ctrl+Z", "", 0, nullptr,
               {"XPButton7", 3360, QUENBRY_CAPTION("Undo"), ToolIcon::Undo}, "cmdUndo"},
    CommandRow{CommandRow::Item, "mnuredo", QUENBRY_CAPTION("Redo"), Command::Redo, "Ctrl+Y", "Ctrl+Shift+Z", 0,
               nullptr, {"XPButton10", 3720, QUENBRY_CAPTION("Redo"), ToolIcon::Redo}, "cmdRedo"},
    CommandRow{CommandRow::Separator, "mnusep3", "-"},
    CommandRow{CommandRow::Item, "mnucut", QUENBRY_CAPTION("Cut"), Command::Cut, "Ctrl+X", "Shift+Del", 0, nullptr,
               {"XPButton6", 2160, QUENBRY_CAPTION("Cut"), ToolIcon::Cut}, "Command8"},
    CommandRow{CommandRow::Item, "mnucopy", QUENBRY_CAPTION("Copy"), Command::Copy, "Ctrl+C", "Ctrl+Ins", 0, nullptr,
               {"XPButton8", 2520, QUENBRY_CAPTION("Copy"), ToolIcon::Copy}, "Command9"},
    CommandRow{CommandRow::Item, "mnupaste", QUENBRY_CAPTION("Paste"), Command::Paste, "Ctrl+V", "Shift+Ins", 0,
               nullptr, {"XPButton9", 2880, QUENBRY_CAPTION("Paste"), ToolIcon::Paste}, "Command10"},
    CommandRow{CommandRow::Item, "mnuselectall", QUENBRY_CAPTION("Select all"), Command::SelectAll, "Ctrl+A"},
    // The skin choice of index 3, which selects no skin.
    CommandRow{CommandRow::Item, "mnuview(3)", QUENBRY_CAPTION("Skin"), Command::Skin, "", "", CommandRow::Hidden},
    // Searching: in the menu bar, after the editing commands; the pop-up keeps to those.
    CommandRow{CommandRow::Separator, "mnusep4", "-", Command::None, "", "", CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnufind", QUENBRY_CAPTION("Find..."), Command::Find, "Ctrl+F", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnufindnext", QUENBRY_CAPTION("Find Next"), Command::FindNext, "F3", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnufindprevious", QUENBRY_CAPTION("Find Previous"), Command::FindPrevious,
               "Shift+F3", "", CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnureplace", QUENBRY_CAPTION("Replace..."), Command::Replace, "Ctrl+H", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnugoto", QUENBRY_CAPTION("Go to Line..."), Command::GoToLine, "Ctrl+G", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Menu, "mnuviewmain", QUENBRY_CAPTION("View"), Command::None, "", "", CommandRow::Hidden},
    CommandRow{CommandRow::Item, "mnuvnew", QUENBRY_CAPTION("New Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton1"},
    CommandRow{CommandRow::Item, "mnuvsave", QUENBRY_CAPTION("Save Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton2"},
    CommandRow{CommandRow::Item, "mnuvopen", QUENBRY_CAPTION("Open Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton3"},
    CommandRow{CommandRow::Item, "mnuvprint", QUENBRY_CAPTION("Print Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton4"},
    CommandRow{CommandRow::Item, "mnuipreview", QUENBRY_CAPTION("Instant Preview"), Command::InstantPreview,
               "Ctrl+Q", "", CommandRow::Checkable | CommandRow::Checked},
    // Quick Preview and FTP Upload have no button: a click flips the item's own check mark.
    CommandRow{CommandRow::Item, "mnuvqpreview", QUENBRY_CAPTION("Quick Preview Icon"), Command::ToolbarIcon, "",
               "", CommandRow::Checkable | CommandRow::Checked},
    CommandRow{CommandRow::Item, "mnuvbro", QUENBRY_CAPTION("Preview In Browser Icon"), Command::ToolbarIcon, "",
               "", CommandRow::Checkable | CommandRow::Checked, "XPButton5"},
    CommandRow{CommandRow::Item, "mnuftpv", QUENBRY_CAPTION("FTP Upload Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked},
    CommandRow{CommandRow::Item, "mnuvcut", QUENBRY_CAPTION("Cut Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton6"},
    CommandRow{CommandRow::Item, "mnuvcopy", QUENBRY_CAPTION("Copy Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton8"},
    CommandRow{CommandRow::Item, "mnuvpaste", QUENBRY_CAPTION("Paste Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton9"},
    CommandRow{CommandRow::Item, "mnuvundo", QUENBRY_CAPTION("Undo Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton7"},
    CommandRow{CommandRow::Item, "mnuvredo", QUENBRY_CAPTION("Redo Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton10"},
    // The View menu that desktop users look in; the one above is the older, hidden one.
    CommandRow{CommandRow::Menu, "mnudisplay", QUENBRY_CAPTION("View")},
    CommandRow{CommandRow::Item, "mnulinenumbers", QUENBRY_CAPTION("Line Numbers"), Command::LineNumbers, "", "",
               CommandRow::Checkable},
    CommandRow{CommandRow::Menu, "mnutags", QUENBRY_CAPTION("Tags")},
    CommandRow{CommandRow::Item, "mnumarquee", QUENBRY_CAPTION("Marquee"), Command::InsertTag, "", "", 0,
               "<marquee></marquee>"},
    CommandRow{CommandRow::Item, "mnulnbreak", QUENBRY_CAPTION("Line Break"), Command::InsertTag, "", "", 0, "<br />"},
    CommandRow{CommandRow::Item, "mnubold", QUENBRY_CAPTION("Bold"), Command::InsertTag, "", "", 0, "<b></b>"},
    CommandRow{CommandRow::Item, "mnufont", QUENBRY_CAPTION("Font"), Command::InsertTag, "", "", 0, "<font></font>"},
    CommandRow{CommandRow::Item, "mnuhr", QUENBRY_CAPTION("Horizontal Rule"), Command::InsertTag, "", "", 0,
               "<hr />"},
    CommandRow{CommandRow::Menu, "mnuhelpmain", QUENBRY_CAPTION("Help")},
    CommandRow{CommandRow::Item, "mnuhelp", QUENBRY_CAPTION("Help"), Command::Help, "F1"},
    CommandRow{CommandRow::Item, "mnuabout", QUENBRY_CAPTION("About"), Command::About},
};
// clang-format on

#undef QUENBRY_CAPTION

} // namespace quenbry
