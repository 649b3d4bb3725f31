#include "editsession.h"

#include <QAbstractEventDispatcher>
#include <algorithm>
#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace quenbry {

namespace {
// What a load colours before anyone hears of the new text: more than a window shows.
constexpr int kColouredAtOnce = 64 * 1024;
constexpr int kIdleStepMs = 3;
// From how many characters a loaded text counts as large; below it nothing is given back.
constexpr int kLargeText = 4 * 1024 * 1024;
} // namespace

EditSession::EditSession(std::unique_ptr<EditorCore> text)
    : ownCore_(std::move(text))
    , core_(*ownCore_)
    , history_(core_, *this) {
    core_.addObserver(this);
}

EditSession::~EditSession() {
    core_.setPendingColours(nullptr);
    core_.removeObserver(this);
}

void EditSession::addListener(EditSessionListener *listener) {
    listeners_.push_back(listener);
}

void EditSession::removeListener(EditSessionListener *listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

template <typename F> void EditSession::tell(F f) {
    // A listener may edit the text, and so add to what is told; the list is read afresh.
    for (size_t i = 0; i < listeners_.size(); ++i)
        f(*listeners_[i]);
}

void EditSession::typeCharacter(int key) {
    if (!core_.admitsKey(key))
        return;
    colouring_.colourKeystroke(core_, key);
    if (key != 0)
        core_.typeCharacter(key);
}

void EditSession::setModified(bool modified) {
    if (modified == modified_)
        return;
    modified_ = modified;
    tell([modified](EditSessionListener &l) { l.modifiedChanged(modified); });
}

void EditSession::textChangeNotified() {
    // Both follow every edit, recorded or not, before anything can edit the text again.
    history_.noteEdit();
    const TextReplaced &edit = core_.lastChange();
    colouring_.noteEdit(edit.start, edit.removed, edit.inserted);
    handleChange();
}

void EditSession::handleChange() {
    setModified(true);
    if (history_.recordChange()) {
        // Only the load's own change: a listener may edit the text while it is told of it.
        if (std::exchange(loading_, false))
            beginColouring();
        else
            colouring_.colourRegions(core_);
    }
    tell([](EditSessionListener &l) { l.textChanged(); });
}

void EditSession::selectionChangeNotified() {
    tell([](EditSessionListener &l) { l.selectionChanged(); });
}

void EditSession::editRefused(const EditRefused &refused) {
    tell([&](EditSessionListener &l) { l.editRefused(refused.length); });
}

void EditSession::load(QString text) {
    history_.clear();
    loading_ = true;
    core_.setText(std::move(text));
    loading_ = false;
    history_.reset();
}

void EditSession::beginColouring() {
    colouring_.beginPass(core_);
    trimWhenColoured_ = core_.length() >= kLargeText;
    // Often the whole page; otherwise the rest waits for the idle steps or for its readers.
    if (colouring_.continuePass(core_, kColouredAtOnce)) {
        colouringEnded();
        return;
    }
    core_.setPendingColours(this);
    // Without an event loop nothing runs the steps; the colours are worked out when read.
    if (!QAbstractEventDispatcher::instance())
        return;
    if (!idle_) {
        idle_ = std::make_unique<QTimer>();
        idle_->callOnTimeout([this] { colourWhileIdle(); });
    }
    idle_->start(0);
}

bool EditSession::settleColours(int end) {
    const bool done = colouring_.continuePass(core_, end);
    if (done && idle_)
        idle_->stop();
    if (done)
        colouringEnded();
    return done;
}

void EditSession::discardColours() {
    colouring_.abandonPass();
    if (idle_)
        idle_->stop();
}

void EditSession::colourWhileIdle() {
    // A few milliseconds a step, so that keys and paints are not kept waiting.
    core_.setPendingColours(nullptr);
    if (colouring_.continuePass(core_, INT_MAX, QDeadlineTimer(kIdleStepMs))) {
        idle_->stop();
        colouringEnded();
    } else {
        core_.setPendingColours(this);
    }
}

// An open frees as much as the page takes again (the file's bytes, their decoding), and the C
// library keeps much of it for later allocations rather than giving it back. For a large page
// that is megabytes held for as long as it is open; once its colouring has ended, what
// the open left is freed, and it is given back.
void EditSession::colouringEnded() {
    if (!std::exchange(trimWhenColoured_, false))
        return;
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void EditSession::availabilityChanged(bool canUndo, bool canRedo) {
    tell([=](EditSessionListener &l) { l.undoAvailabilityChanged(canUndo, canRedo); });
}

void EditSession::undoRejected() {
    tell([](EditSessionListener &l) { l.undoRejected(); });
}

void EditSession::hideSelection(bool hide) {
    tell([hide](EditSessionListener &l) { l.selectionHighlightHidden(hide); });
}

void EditSession::focusEditor() {
    tell([](EditSessionListener &l) { l.historyStepped(); });
}

} // namespace quenbry
