// The floor for the help viewer: a bare web view window of the viewer's size
// that loads the address given and shows the page's title as its caption.
#include <QApplication>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(461, 343);
    QObject::connect(&view, &QWebEngineView::titleChanged, &view, &QWidget::setWindowTitle);
    view.load(QUrl(QApplication::arguments().value(1)));
    view.show();
    return app.exec();
}
