// Answers the modal boxes and dialogs that the code under test opens, and
// records what they showed. Tests run without anyone to press OK.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

struct SeenFileDialog
{
    QString title;
    QStringList nameFilters;
    QString directory;
};

class ModalCatcher : public QObject
{
public:
    // What to do with file dialogs: choose this file, or cancel when empty.
    QString fileToChoose;
    // The button pressed in a message box that has it (else it is rejected).
    QMessageBox::StandardButton press = QMessageBox::Ok;
    QList<SeenBox> boxes;
    QList<SeenFileDialog> fileDialogs;

    ModalCatcher()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, this, [this] { answer(); });
        timer.start();
    }

private:
    QTimer timer;

    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            boxes << SeenBox{box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                             box->textFormat(), box->standardButton(box->defaultButton())};
            box->button(press) ? box->button(press)->click() : box->reject();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            fileDialogs << SeenFileDialog{dialog->windowTitle(), dialog->nameFilters(),
                                          dialog->directory().absolutePath()};
            if (fileToChoose.isEmpty()) {
                dialog->reject();
            } else {
                dialog->selectFile(fileToChoose);
                QMetaObject::invokeMethod(dialog, "accept");
            }
        }
    }
};
