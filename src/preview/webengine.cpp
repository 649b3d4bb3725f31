#include "webengine.h"

#include "pageview.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QPluginLoader>

#include <unistd.h>

QT_BEGIN_NAMESPACE
// Qt GUI exports it for Qt WebEngine, whose own set-up calls it.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace quenbry {

namespace {

QOpenGLContext *shareContext = nullptr;

void deleteShareContext() {
    if (QOpenGLContext::globalShareContext() == shareContext)
        qt_gl_set_global_share_context(nullptr);
    delete shareContext;
    shareContext = nullptr;
}

// The web engine draws into OpenGL contexts shared with Qt's, through a global share context.
// Qt's own set-up makes it when the application object is created, which costs every start
// tens of megabytes and a tenth of a second for a pane that is perhaps never shown; made here,
// just before the engine is loaded, it costs only those who look at a preview. Where the
// platform has no OpenGL (offscreen) the context stays invalid, as Qt's own would, and the
// engine draws in software; without any context it would crash.
void shareOpenGLContexts() {
    if (QOpenGLContext::globalShareContext())
        return;
    auto *context = new QOpenGLContext;
    context->create();
    shareContext = context;
    // Post routines run last registered first: this one after the engine's own clean-up.
    qAddPostRoutine(deleteShareContext);
    qt_gl_set_global_share_context(context);
}

} // namespace

void prepareWebEngineEnvironment() {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

PageView *createPageView(QWidget *parent, QString &error) {
    static PageViewFactory *factory = nullptr;
    if (!factory) {
        shareOpenGLContexts();
        // Beside the program in the build tree, and in an installed tree alike.
        QPluginLoader loader(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/" QUENBRY_WEBVIEW_PLUGIN));
        factory = qobject_cast<PageViewFactory *>(loader.instance());
        if (!factory) {
            error = loader.errorString();
            return nullptr;
        }
    }
    return factory->createPageView(parent);
}

} // namespace quenbry
