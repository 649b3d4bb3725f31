#pragma once
// The main window's menus, toolbar and hidden command buttons as data: names, captions,
// shortcuts, flags and places. The window builds its widgets from these tables.

#include <array>

namespace quenbry {

struct MenuEntry {
    // Checked: a check item, checked at start; Checkable: one that starts unchecked.
    enum Flags { Hidden = 1, Checked = 2, Separator = 4, Menu = 8, Checkable = 16 };
    const char *name;
    const char *caption;
    const char *shortcut; // portable key sequence text, "" for none
    unsigned flags;
    int level; // 0: a menu of the menu bar, 1: an item, 2: an item of a menu inside a menu
};

// Keys that run an Edit command besides its shortcut, as in the text fields of every desktop:
// Ctrl+Shift+Z redoes, Shift+Del cuts, Ctrl+Ins copies, Shift+Ins pastes. The menus show only
// the shortcut.
struct AlternateKey {
    const char *name;
    const char *shortcut;
};
inline constexpr std::array<AlternateKey, 4> alternateKeys{{{"mnuredo", "Ctrl+Shift+Z"},
                                                            {"mnucut", "Shift+Del"},
                                                            {"mnucopy", "Ctrl+Ins"},
                                                            {"mnupaste", "Shift+Ins"}}};

// In menu order; each menu is followed by its items.
inline constexpr std::array<MenuEntry, 46> menuTable{{
    {"mnufile", "File", "", MenuEntry::Menu, 0},
    {"mnuname", "New", "Ctrl+N", 0, 1},
    {"mnuopen", "Open", "Ctrl+O", 0, 1},
    {"mnusep", "-", "", MenuEntry::Separator, 1},
    {"mnusave", "Save", "Ctrl+S", 0, 1},
    {"mnusaveas", "Save As", "", 0, 1},
    {"mnuftp", "FTP Upload", "Ctrl+U", MenuEntry::Hidden, 1},
    {"mnusep1", "-", "", MenuEntry::Separator, 1},
    {"mnuqpreview", "Quick Preview", "", MenuEntry::Hidden, 1},
    {"mnupre", "Preview in browser", "", 0, 1},
    {"mnupreviewremote", "Load Remote Content in Preview", "", MenuEntry::Checkable, 1},
    {"mnuprint", "Print", "Ctrl+P", 0, 1},
    {"mnusep2", "-", "", MenuEntry::Separator, 1},
    {"mnuexit", "Exit", "", 0, 1},
    {"mnuedit", "Edit", "", MenuEntry::Menu, 0},
    {"mnuundo", "Undo", "Ctrl+Z", 0, 1},
    {"mnuredo", "Redo", "Ctrl+Y", 0, 1},
    {"mnusep3", "-", "", MenuEntry::Separator, 1},
    {"mnucut", "Cut", "Ctrl+X", 0, 1},
    {"mnucopy", "Copy", "Ctrl+C", 0, 1},
    {"mnupaste", "Paste", "Ctrl+V", 0, 1},
    {"mnuselectall", "Select all", "Ctrl+A", 0, 1},
    {"mnuview(3)", "Skin", "", MenuEntry::Hidden, 1},
    {"mnuviewmain", "View", "", MenuEntry::Menu | MenuEntry::Hidden, 0},
    {"mnuvnew", "New Icon", "", MenuEntry::Checked, 1},
    {"mnuvsave", "Save Icon", "", MenuEntry::Checked, 1},
    {"mnuvopen", "Open Icon", "", MenuEntry::Checked, 1},
    {"mnuvprint", "Print Icon", "", MenuEntry::Checked, 1},
    {"mnuipreview", "Instant Preview", "Ctrl+Q", MenuEntry::Checked, 1},
    {"mnuvqpreview", "Quick Preview Icon", "", MenuEntry::Checked, 1},
    {"mnuvbro", "Preview In Browser Icon", "", MenuEntry::Checked, 1},
    {"mnuftpv", "FTP Upload Icon", "", MenuEntry::Checked, 1},
    {"mnuvcut", "Cut Icon", "", MenuEntry::Checked, 1},
    {"mnuvcopy", "Copy Icon", "", MenuEntry::Checked, 1},
    {"mnuvpaste", "Paste Icon", "", MenuEntry::Checked, 1},
    {"mnuvundo", "Undo Icon", "", MenuEntry::Checked, 1},
    {"mnuvredo", "Redo Icon", "", MenuEntry::Checked, 1},
    {"mnutags", "Tags", "", MenuEntry::Menu, 0},
    {"mnumarquee", "Marquee", "", 0, 1},
    {"mnulnbreak", "Line Break", "", 0, 1},
    {"mnubold", "Bold", "", 0, 1},
    {"mnufont", "Font", "", 0, 1},
    {"mnuhr", "Horizontal Rule", "", 0, 1},
    {"mnuhelpmain", "Help", "", MenuEntry::Menu, 0},
    {"mnuhelp", "Help", "F1", 0, 1},
    {"mnuabout", "About", "", 0, 1},
}};

enum class ToolIcon { New, Save, Open, Print, Browser, Cut, Copy, Paste, Undo, Redo };

struct ToolbarEntry {
    const char *name;
    int left; // twips
    const char *tooltip;
    ToolIcon icon;
    const char *viewItem; // the View menu item that shows and hides it
};

inline constexpr int toolButtonSize = 375; // twips, square
// Left to right, which is also the tab order after the editor.
inline constexpr std::array<ToolbarEntry, 10> toolbarTable{{
    {"XPButton1", 120, "New File", ToolIcon::New, "mnuvnew"},
    {"XPButton2", 480, "Save", ToolIcon::Save, "mnuvsave"},
    {"XPButton3", 840, "Open", ToolIcon::Open, "mnuvopen"},
    {"XPButton4", 1320, "Print Source Code", ToolIcon::Print, "mnuvprint"},
    {"XPButton5", 1680, "Preview in Browser", ToolIcon::Browser, "mnuvbro"},
    {"XPButton6", 2160, "Cut", ToolIcon::Cut, "mnuvcut"},
    {"XPButton8", 2520, "Copy", ToolIcon::Copy, "mnuvcopy"},
    {"XPButton9", 2880, "Paste", ToolIcon::Paste, "mnuvpaste"},
    {"XPButton7", 3360, "Undo", ToolIcon::Undo, "mnuvundo"},
    {"XPButton10", 3720, "Redo", ToolIcon::Redo, "mnuvredo"},
}};

// Never shown; their clicks forward to commands.
inline constexpr std::array<const char *, 10> hiddenButtonTable{
    {"Command1", "Command2", "Command5", "Command7", "Command8", "Command9", "Command10",
     "Command11", "cmdUndo", "cmdRedo"}};

} // namespace quenbry
