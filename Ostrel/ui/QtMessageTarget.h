// The Qt host's window handle: a post from any thread becomes a queued call
// on the thread this object lives in (the GUI thread), so posting never
// blocks the poster and the receiver sees messages in order.
#pragma once

#include "MessageTarget.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QtMessageTarget : public QObject, public MessageTarget {
    Q_OBJECT
public:
    using Handler = std::function<void(const PostedMessage&)>;

    // widget: the window boxes owned by this handle are shown over (may be
    // null); handler: called on the GUI thread for every message (may be
    // empty: connect to posted() instead).
    explicit QtMessageTarget(QWidget* widget = nullptr, Handler handler = {}, QObject* parent = nullptr);

    void Post(const PostedMessage& m) override;
    HWND Handle() { return this; }
    QWidget* Widget() const { return m_widget.data(); }

signals:
    void posted(unsigned int msg, quintptr wParam, qintptr lParam);

private:
    QPointer<QWidget> m_widget;
    Handler m_handler;
};
