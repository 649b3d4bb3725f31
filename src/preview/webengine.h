#pragma once
// Setting up the web engine of the preview pane: what must happen before the application
// object exists, and the engine's loading the first time the pane needs it.

#include <QString>

class QWidget;

namespace quenbry {

class PageView;

// Call before the QApplication is created. Chromium's sandbox refuses to run as root, and a
// sandbox Chromium cannot have is switched off in the environment it reads.
void prepareWebEngineEnvironment();

// What the user should know about the engine's sandbox: "sandbox off (running as root)", or
// "sandbox off" when the environment switched it off; "" while it is on. Every page is held to
// the pane's own rules either way, but a page that broke out of the engine would not be held
// by the system as well.
QString webEngineSandboxNote();

// Whether the web engine plugin is where the program looks for it. Distributions may ship it
// in a package of its own, so that the editor does not pull in the web engine.
bool webEnginePluginInstalled();

// Loads the web engine plugin and creates a page view; null, with the reason in `error`, when
// the plugin cannot be loaded.
PageView *createPageView(QWidget *parent, QString &error);

} // namespace quenbry
