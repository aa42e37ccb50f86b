#include "QtMessageTarget.h"

QtMessageTarget::QtMessageTarget(QWidget* widget, Handler handler, QObject* parent)
    : QObject(parent), m_widget(widget), m_handler(std::move(handler)) {}

void QtMessageTarget::Post(const PostedMessage& m) {
    // A queued functor call is an event posted to this object's thread:
    // thread-safe, non-blocking, dropped if the object is gone by then.
    QMetaObject::invokeMethod(
        this,
        [this, m] {
            if (m_handler) m_handler(m);
            emit posted(m.msg, static_cast<quintptr>(m.wParam), static_cast<qintptr>(m.lParam));
        },
        Qt::QueuedConnection);
}
