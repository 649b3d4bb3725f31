#include "webengine.h"

#include "pageview.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPluginLoader>

#include <unistd.h>

QT_BEGIN_NAMESPACE
// Qt GUI exports it for Qt WebEngine, whose own set-up calls it.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace quenbry {

namespace {

// The translation context of the texts below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(WebEngine)
};

QOpenGLContext *shareContext = nullptr;

void deleteShareContext() {
    if (QOpenGLContext::globalShareContext() == shareContext)
        qt_gl_set_global_share_context(nullptr);
    delete shareContext;
    shareContext = nullptr;
}

// The web engine looks for Qt's global OpenGL share context when it starts, and crashes
// without one, even though the pane draws in software (see the plugin). Qt's own set-up would
// make and create it with the application object, loading the OpenGL driver at every start:
// tens of megabytes and a tenth of a second for a pane that is perhaps never shown. An
// uncreated context, set just before the engine is loaded, is all the engine needs to go on
// without OpenGL.
void shareOpenGLContexts() {
    if (QOpenGLContext::globalShareContext())
        return;
    shareContext = new QOpenGLContext;
    // Post routines run last registered first: this one after the engine's own clean-up.
    qAddPostRoutine(deleteShareContext);
    qt_gl_set_global_share_context(shareContext);
}

// Beside the program in the build tree, and in an installed tree alike.
QString pluginPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" QUENBRY_WEBVIEW_PLUGIN);
}

} // namespace

void prepareWebEngineEnvironment() {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QString webEngineSandboxNote() {
    const bool off = qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0 ||
                     qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox");
    if (!off)
        return {};
    return ::geteuid() == 0 ? Text::tr("sandbox off (running as root)") : Text::tr("sandbox off");
}

bool webEnginePluginInstalled() {
    // The loader looks for the file with the system's suffix, and names none when it finds none.
    const QFileInfo plugin(QPluginLoader(pluginPath()).fileName());
    return plugin.isFile();
}

PageView *createPageView(QWidget *parent, QString &error) {
    static PageViewFactory *factory = nullptr;
    if (!factory) {
        shareOpenGLContexts();
        QPluginLoader loader(pluginPath());
        factory = qobject_cast<PageViewFactory *>(loader.instance());
        if (!factory) {
            error = loader.errorString();
            return nullptr;
        }
    }
    return factory->createPageView(parent);
}

} // namespace quenbry
