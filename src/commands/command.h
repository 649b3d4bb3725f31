#pragma once
// The program's commands as the rooms speak of them, and the surfaces a command sits on: its
// menu item, its toolbar button and its hidden command button. Most commands are enabled and
// disabled on all of their surfaces at once; where surfaces differ on purpose (the Undo of the
// menu against the toolbar's), the caller names the surfaces.

namespace quenbry {

enum class Command {
    None, // a menu or a separator: nothing runs
    New,
    Open,
    Save,
    SaveAs,
    FtpUpload,
    QuickPreview,
    PreviewInBrowser,
    // Whether the preview pane may load remote content; remembered per user.
    PreviewRemoteContent,
    Print,
    // The encoding the next Save writes: the row holds the encoding's name.
    SetEncoding,
    // The current file read again in the row's encoding.
    ReopenWithEncoding,
    // The row's recent page: "1" is the newest.
    OpenRecent,
    ClearRecentPages,
    Exit,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    SelectAll,
    Skin,
    // The find bar, without and with its replace field; stepping through its matches.
    Find,
    FindNext,
    FindPrevious,
    Replace,
    GoToLine,
    // The line-number gutter, shown or hidden; remembered per user.
    LineNumbers,
    // A View item that shows or hides a toolbar button: the row names the button.
    ToolbarIcon,
    InstantPreview,
    // A Tags item: the row holds the markup.
    InsertTag,
    Help,
    About,
};

enum Surface : unsigned {
    MenuSurface = 1,
    ToolbarSurface = 2,
    HiddenButtonSurface = 4,
    AllSurfaces = MenuSurface | ToolbarSurface | HiddenButtonSurface,
};
using Surfaces = unsigned;

} // namespace quenbry
