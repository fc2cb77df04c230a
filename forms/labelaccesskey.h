// A label's access key moves the focus to the control that follows the label
// in tab order; when that control cannot take the focus (disabled, hidden),
// to the next one in tab order that can.
#pragma once

#include <QObject>

class QLabel;

class LabelAccessKey : public QObject
{
    Q_OBJECT

public:
    // The label's buddy is the control that follows it in tab order.
    static void install(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
