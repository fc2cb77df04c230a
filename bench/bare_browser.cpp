// The floor for the help viewer: a bare rich-text browser window of the
// viewer's size that loads the file given and shows the page's title as its
// caption.
#include <QApplication>
#include <QTextBrowser>
#include <QUrl>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextBrowser view;
    view.resize(461, 343);
    QObject::connect(&view, &QTextBrowser::sourceChanged, &view,
                     [&view] { view.setWindowTitle(view.documentTitle()); });
    view.show();
    view.setSource(QUrl::fromLocalFile(QApplication::arguments().value(1)));
    return app.exec();
}
