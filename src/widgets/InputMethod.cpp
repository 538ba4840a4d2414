#include "widgets/InputMethod.h"

#include <QEvent>
#include <QInputMethodQueryEvent>
#include <QWidget>

namespace tolvarine {

namespace {

// Answers the input method's queries for the box as the box would, except that it
// takes no composed text.
class NoInputMethod : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::InputMethodQuery)
            return false;
        auto *query = static_cast<QInputMethodQueryEvent *>(event);
        const auto *box = static_cast<QWidget *>(watched);
        for (int bit = 0; bit < 32; ++bit) {
            const auto property = Qt::InputMethodQuery(int(query->queries()) & (1 << bit));
            if (property)
                query->setValue(property, property == Qt::ImEnabled ? QVariant(false)
                                                                    : box->inputMethodQuery(property));
        }
        query->accept();
        return true;
    }
};

} // namespace

void disableInputMethod(QWidget *box)
{
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->installEventFilter(new NoInputMethod(box));
}

} // namespace tolvarine
