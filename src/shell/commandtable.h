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

// The captions and tool tips are spelled out as QT_TRANSLATE_NOOP("CommandTable", ...) in every
// row, not through a shorter macro of ours: lupdate reads the rows without expanding macros.

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
    CommandRow{CommandRow::Menu, "mnufile", QT_TRANSLATE_NOOP("CommandTable", "File")},
    CommandRow{CommandRow::Item, "mnuname", QT_TRANSLATE_NOOP("CommandTable", "New"), Command::New, "Ctrl+N", "", 0, nullptr,
               {"XPButton1", 120, QT_TRANSLATE_NOOP("CommandTable", "New File"), ToolIcon::New}, "Command1"},
    CommandRow{CommandRow::Item, "mnuopen", QT_TRANSLATE_NOOP("CommandTable", "Open"), Command::Open, "Ctrl+O", "", 0, nullptr,
               {"XPButton3", 840, QT_TRANSLATE_NOOP("CommandTable", "Open"), ToolIcon::Open}, "Command2"},
    CommandRow{CommandRow::Separator, "mnusep", "-"},
    CommandRow{CommandRow::Item, "mnusave", QT_TRANSLATE_NOOP("CommandTable", "Save"), Command::Save, "Ctrl+S", "", 0, nullptr,
               {"XPButton2", 480, QT_TRANSLATE_NOOP("CommandTable", "Save"), ToolIcon::Save}, "Command7"},
    CommandRow{CommandRow::Item, "mnusaveas", QT_TRANSLATE_NOOP("CommandTable", "Save As"), Command::SaveAs},
    CommandRow{CommandRow::Menu, "mnuencoding", QT_TRANSLATE_NOOP("CommandTable", "Encoding"), Command::None, "", "",
               CommandRow::Nested},
    CommandRow{CommandRow::Item, "mnuencwindows1252", QT_TRANSLATE_NOOP("CommandTable", "Western (Windows-1252)"), Command::SetEncoding,
               "", "", CommandRow::Nested | CommandRow::Radio | CommandRow::Checked, "Windows-1252"},
    CommandRow{CommandRow::Item, "mnuencutf8", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-8)"), Command::SetEncoding, "", "",
               CommandRow::Nested | CommandRow::Radio, "UTF-8"},
    CommandRow{CommandRow::Item, "mnuencutf8bom", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-8 with BOM)"), Command::SetEncoding,
               "", "", CommandRow::Nested | CommandRow::Radio, "UTF-8 with BOM"},
    CommandRow{CommandRow::Item, "mnuencutf16le", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-16 LE)"), Command::SetEncoding, "",
               "", CommandRow::Nested | CommandRow::Radio, "UTF-16 LE"},
    CommandRow{CommandRow::Item, "mnuencutf16be", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-16 BE)"), Command::SetEncoding, "",
               "", CommandRow::Nested | CommandRow::Radio, "UTF-16 BE"},
    CommandRow{CommandRow::Menu, "mnureopenas", QT_TRANSLATE_NOOP("CommandTable", "Reopen with Encoding"), Command::None, "", "",
               CommandRow::Nested},
    CommandRow{CommandRow::Item, "mnureopenwindows1252", QT_TRANSLATE_NOOP("CommandTable", "Western (Windows-1252)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "Windows-1252"},
    CommandRow{CommandRow::Item, "mnureopenutf8", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-8)"), Command::ReopenWithEncoding, "",
               "", CommandRow::Nested, "UTF-8"},
    CommandRow{CommandRow::Item, "mnureopenutf8bom", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-8 with BOM)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "UTF-8 with BOM"},
    CommandRow{CommandRow::Item, "mnureopenutf16le", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-16 LE)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "UTF-16 LE"},
    CommandRow{CommandRow::Item, "mnureopenutf16be", QT_TRANSLATE_NOOP("CommandTable", "Unicode (UTF-16 BE)"),
               Command::ReopenWithEncoding, "", "", CommandRow::Nested, "UTF-16 BE"},
    CommandRow{CommandRow::Item, "mnuftp", QT_TRANSLATE_NOOP("CommandTable", "FTP Upload"), Command::FtpUpload, "Ctrl+U", "",
               CommandRow::Hidden},
    CommandRow{CommandRow::Separator, "mnusep1", "-"},
    CommandRow{CommandRow::Item, "mnuqpreview", QT_TRANSLATE_NOOP("CommandTable", "Quick Preview"), Command::QuickPreview, "", "",
               CommandRow::Hidden},
    CommandRow{CommandRow::Item, "mnupre", QT_TRANSLATE_NOOP("CommandTable", "Preview in browser"), Command::PreviewInBrowser, "", "",
               0, nullptr, {"XPButton5", 1680, QT_TRANSLATE_NOOP("CommandTable", "Preview in Browser"), ToolIcon::Browser},
               "Command5"},
    CommandRow{CommandRow::Item, "mnupreviewremote", QT_TRANSLATE_NOOP("CommandTable", "Load Remote Content in Preview"),
               Command::PreviewRemoteContent, "", "", CommandRow::Checkable},
    CommandRow{CommandRow::Item, "mnuprint", QT_TRANSLATE_NOOP("CommandTable", "Print"), Command::Print, "Ctrl+P", "", 0, nullptr,
               {"XPButton4", 1320, QT_TRANSLATE_NOOP("CommandTable", "Print Source Code"), ToolIcon::Print}, "Command11"},
    CommandRow{CommandRow::Menu, "mnurecent", QT_TRANSLATE_NOOP("CommandTable", "Recent Pages"), Command::None, "", "",
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
    CommandRow{CommandRow::Item, "mnurecentclear", QT_TRANSLATE_NOOP("CommandTable", "Clear List"), Command::ClearRecentPages, "", "",
               CommandRow::Nested},
    CommandRow{CommandRow::Separator, "mnusep2", "-"},
    CommandRow{CommandRow::Item, "mnuexit", QT_TRANSLATE_NOOP("CommandTable", "Exit"), Command::Exit},
    CommandRow{CommandRow::Menu, "mnuedit", QT_TRANSLATE_NOOP("CommandTable", "Edit")},
    CommandRow{CommandRow::Item, "mnuundo", QT_TRANSLATE_NOOP("CommandTable", "Undo"), Command::Undo, "Ctrl+Z", "", 0, nullptr,
               {"XPButton7", 3360, QT_TRANSLATE_NOOP("CommandTable", "Undo"), ToolIcon::Undo}, "cmdUndo"},
    CommandRow{CommandRow::Item, "mnuredo", QT_TRANSLATE_NOOP("CommandTable", "Redo"), Command::Redo, "Ctrl+Y", "Ctrl+Shift+Z", 0,
               nullptr, {"XPButton10", 3720, QT_TRANSLATE_NOOP("CommandTable", "Redo"), ToolIcon::Redo}, "cmdRedo"},
    CommandRow{CommandRow::Separator, "mnusep3", "-"},
    CommandRow{CommandRow::Item, "mnucut", QT_TRANSLATE_NOOP("CommandTable", "Cut"), Command::Cut, "Ctrl+X", "Shift+Del", 0, nullptr,
               {"XPButton6", 2160, QT_TRANSLATE_NOOP("CommandTable", "Cut"), ToolIcon::Cut}, "Command8"},
    CommandRow{CommandRow::Item, "mnucopy", QT_TRANSLATE_NOOP("CommandTable", "Copy"), Command::Copy, "Ctrl+C", "Ctrl+Ins", 0, nullptr,
               {"XPButton8", 2520, QT_TRANSLATE_NOOP("CommandTable", "Copy"), ToolIcon::Copy}, "Command9"},
    CommandRow{CommandRow::Item, "mnupaste", QT_TRANSLATE_NOOP("CommandTable", "Paste"), Command::Paste, "Ctrl+V", "Shift+Ins", 0,
               nullptr, {"XPButton9", 2880, QT_TRANSLATE_NOOP("CommandTable", "Paste"), ToolIcon::Paste}, "Command10"},
    CommandRow{CommandRow::Item, "mnuselectall", QT_TRANSLATE_NOOP("CommandTable", "Select all"), Command::SelectAll, "Ctrl+A"},
    // The skin choice of index 3, which selects no skin.
    CommandRow{CommandRow::Item, "mnuview(3)", QT_TRANSLATE_NOOP("CommandTable", "Skin"), Command::Skin, "", "", CommandRow::Hidden},
    // Searching: in the menu bar, after the editing commands; the pop-up keeps to those.
    CommandRow{CommandRow::Separator, "mnusep4", "-", Command::None, "", "", CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnufind", QT_TRANSLATE_NOOP("CommandTable", "Find..."), Command::Find, "Ctrl+F", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnufindnext", QT_TRANSLATE_NOOP("CommandTable", "Find Next"), Command::FindNext, "F3", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnufindprevious", QT_TRANSLATE_NOOP("CommandTable", "Find Previous"), Command::FindPrevious,
               "Shift+F3", "", CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnureplace", QT_TRANSLATE_NOOP("CommandTable", "Replace..."), Command::Replace, "Ctrl+H", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Item, "mnugoto", QT_TRANSLATE_NOOP("CommandTable", "Go to Line..."), Command::GoToLine, "Ctrl+G", "",
               CommandRow::MenuBarOnly},
    CommandRow{CommandRow::Menu, "mnuviewmain", QT_TRANSLATE_NOOP("CommandTable", "View"), Command::None, "", "", CommandRow::Hidden},
    CommandRow{CommandRow::Item, "mnuvnew", QT_TRANSLATE_NOOP("CommandTable", "New Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton1"},
    CommandRow{CommandRow::Item, "mnuvsave", QT_TRANSLATE_NOOP("CommandTable", "Save Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton2"},
    CommandRow{CommandRow::Item, "mnuvopen", QT_TRANSLATE_NOOP("CommandTable", "Open Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton3"},
    CommandRow{CommandRow::Item, "mnuvprint", QT_TRANSLATE_NOOP("CommandTable", "Print Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton4"},
    CommandRow{CommandRow::Item, "mnuipreview", QT_TRANSLATE_NOOP("CommandTable", "Instant Preview"), Command::InstantPreview,
               "Ctrl+Q", "", CommandRow::Checkable | CommandRow::Checked},
    // Quick Preview and FTP Upload have no button: a click flips the item's own check mark.
    CommandRow{CommandRow::Item, "mnuvqpreview", QT_TRANSLATE_NOOP("CommandTable", "Quick Preview Icon"), Command::ToolbarIcon, "",
               "", CommandRow::Checkable | CommandRow::Checked},
    CommandRow{CommandRow::Item, "mnuvbro", QT_TRANSLATE_NOOP("CommandTable", "Preview In Browser Icon"), Command::ToolbarIcon, "",
               "", CommandRow::Checkable | CommandRow::Checked, "XPButton5"},
    CommandRow{CommandRow::Item, "mnuftpv", QT_TRANSLATE_NOOP("CommandTable", "FTP Upload Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked},
    CommandRow{CommandRow::Item, "mnuvcut", QT_TRANSLATE_NOOP("CommandTable", "Cut Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton6"},
    CommandRow{CommandRow::Item, "mnuvcopy", QT_TRANSLATE_NOOP("CommandTable", "Copy Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton8"},
    CommandRow{CommandRow::Item, "mnuvpaste", QT_TRANSLATE_NOOP("CommandTable", "Paste Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton9"},
    CommandRow{CommandRow::Item, "mnuvundo", QT_TRANSLATE_NOOP("CommandTable", "Undo Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton7"},
    CommandRow{CommandRow::Item, "mnuvredo", QT_TRANSLATE_NOOP("CommandTable", "Redo Icon"), Command::ToolbarIcon, "", "",
               CommandRow::Checkable | CommandRow::Checked, "XPButton10"},
    // The View menu that desktop users look in; the one above is the older, hidden one.
    CommandRow{CommandRow::Menu, "mnudisplay", QT_TRANSLATE_NOOP("CommandTable", "View")},
    CommandRow{CommandRow::Item, "mnulinenumbers", QT_TRANSLATE_NOOP("CommandTable", "Line Numbers"), Command::LineNumbers, "", "",
               CommandRow::Checkable},
    CommandRow{CommandRow::Menu, "mnutags", QT_TRANSLATE_NOOP("CommandTable", "Tags")},
    CommandRow{CommandRow::Item, "mnumarquee", QT_TRANSLATE_NOOP("CommandTable", "Marquee"), Command::InsertTag, "", "", 0,
               "<marquee></marquee>"},
    CommandRow{CommandRow::Item, "mnulnbreak", QT_TRANSLATE_NOOP("CommandTable", "Line Break"), Command::InsertTag, "", "", 0, "<br />"},
    CommandRow{CommandRow::Item, "mnubold", QT_TRANSLATE_NOOP("CommandTable", "Bold"), Command::InsertTag, "", "", 0, "<b></b>"},
    CommandRow{CommandRow::Item, "mnufont", QT_TRANSLATE_NOOP("CommandTable", "Font"), Command::InsertTag, "", "", 0, "<font></font>"},
    CommandRow{CommandRow::Item, "mnuhr", QT_TRANSLATE_NOOP("CommandTable", "Horizontal Rule"), Command::InsertTag, "", "", 0,
               "<hr />"},
    CommandRow{CommandRow::Menu, "mnuhelpmain", QT_TRANSLATE_NOOP("CommandTable", "Help")},
    CommandRow{CommandRow::Item, "mnuhelp", QT_TRANSLATE_NOOP("CommandTable", "Help"), Command::Help, "F1"},
    CommandRow{CommandRow::Item, "mnuabout", QT_TRANSLATE_NOOP("CommandTable", "About"), Command::About},
};
// clang-format on

} // namespace quenbry
