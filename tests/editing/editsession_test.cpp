// The edit session keeps the history, the colouring and the modified flag in step with every
// edit, whoever makes it, and tells its listeners in an order they can rely on.
#include "editing/editsession.h"

#include <gtest/gtest.h>

namespace quenbry {
namespace {

const Rgb tag = SyntaxColouring::toRgb(SyntaxColouring::TagColor);
const Rgb comment = SyntaxColouring::toRgb(SyntaxColouring::CommentColor);

// What the listeners hear, and what the session had done by then.
struct Log : EditSessionListener {
    explicit Log(EditSession &s)
        : session(s) {
        session.addListener(this);
    }
    ~Log() override { session.removeListener(this); }
    void textChanged() override {
        events.push_back("text");
        // By now the change is recorded and coloured.
        entriesSeen = session.history().undoCount();
        const int lt = session.text().indexOf(u'<', 0);
        colourSeen = lt >= 0 ? session.text().colourAt(lt) : 0;
    }
    void selectionChanged() override { events.push_back("selection"); }
    void undoAvailabilityChanged(bool canUndo, bool) override {
        events.push_back(canUndo ? "undo on" : "undo off");
    }
    void selectionHighlightHidden(bool hidden) override {
        events.push_back(hidden ? "hide" : "show");
    }
    void historyStepped() override { events.push_back("stepped"); }
    void modifiedChanged(bool modified) override {
        events.push_back(modified ? "modified" : "saved");
    }
    EditSession &session;
    std::vector<std::string> events;
    int entriesSeen = -1;
    Rgb colourSeen = 0;
};

TEST(EditSession, EveryEditIsNotedRecordedAndColouredBeforeListenersHear) {
    EditSession session;
    EditorCore &text = session.text();
    text.setText(QStringLiteral("ab"));
    session.setRecording(true);
    session.resetHistory();
    session.setModified(false);
    text.setSelStart(1);
    Log log(session);
    // An edit made straight on the text, as a command makes it, goes the same way as a key.
    text.setSelText(QStringLiteral("<b>"));
    EXPECT_EQ(log.events, (std::vector<std::string>{"modified", "undo on", "text", "selection"}));
    EXPECT_EQ(log.entriesSeen, 2);
    EXPECT_EQ(log.colourSeen, tag | 0xff000000u);
    EXPECT_TRUE(session.modified());

    // Undo rewrites the text with recording off and its highlight hidden; what it rewrites
    // is neither recorded nor recoloured.
    log.events.clear();
    session.undo();
    EXPECT_EQ(text.text(), "ab");
    EXPECT_EQ(log.events.front(), "hide");
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "text"), 1);
    EXPECT_EQ(log.entriesSeen, 2) << "Undo's own edit was recorded";
    EXPECT_EQ((std::vector<std::string>(log.events.end() - 3, log.events.end())),
              (std::vector<std::string>{"show", "undo off", "stepped"}));
    EXPECT_TRUE(session.isRecording());
}

TEST(EditSession, TypedKeysReachTheColouringBeforeTheText) {
    EditSession session;
    session.setRecording(true);
    session.text().setText(QStringLiteral("x"));
    session.text().setSelStart(1);
    for (char16_t key : u"<!")
        if (key)
            session.typeCharacter(key);
    // The `!` was taken by the colouring, which made the `<` a comment opener.
    EXPECT_EQ(session.text().text(), "x<!--");
    EXPECT_EQ(session.text().colourAt(1), comment | 0xff000000u);
    EXPECT_TRUE(session.colouring().typingState().inComment);
}

TEST(EditSession, ALoadedDocumentStartsAFreshHistory) {
    EditSession session;
    session.setRecording(true);
    session.text().setText(QStringLiteral("old"));
    session.text().setSelText(QStringLiteral("er"));
    ASSERT_TRUE(session.history().canUndo());
    session.setModified(false);
    session.load(QStringLiteral("<p>new</p>"));
    EXPECT_EQ(session.text().text(), "<p>new</p>");
    EXPECT_EQ(session.history().undoCount(), 1);
    EXPECT_FALSE(session.history().canUndo());
    EXPECT_TRUE(session.modified()) << "a load is a change of the text";
    EXPECT_EQ(session.text().colourAt(0), tag | 0xff000000u);
    session.undo();
    EXPECT_EQ(session.text().text(), "<p>new</p>");
}

TEST(EditSession, WithRecordingOffChangesOnlyMarkTheDocumentModified) {
    EditSession session;
    Log log(session);
    session.text().setText(QStringLiteral("<b>"));
    EXPECT_EQ(log.events, (std::vector<std::string>{"modified", "text"}));
    EXPECT_EQ(session.history().undoCount(), 0);
    EXPECT_NE(session.text().colourAt(0), tag | 0xff000000u);
    // The start-up runs the change handling once recording is on: recorded and coloured.
    session.setRecording(true);
    session.handleChange();
    EXPECT_EQ(session.history().undoCount(), 1);
    EXPECT_EQ(session.text().colourAt(0), tag | 0xff000000u);
}

} // namespace
} // namespace quenbry
