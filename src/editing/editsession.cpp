#include "editsession.h"

#include <algorithm>

namespace quenbry {

EditSession::EditSession(std::unique_ptr<EditorCore> text)
    : ownCore_(std::move(text))
    , core_(*ownCore_)
    , history_(core_, *this) {
    core_.addObserver(this);
}

EditSession::~EditSession() {
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
    if (history_.recordChange())
        colouring_.colourRegions(core_);
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
    core_.setText(std::move(text));
    history_.reset();
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
