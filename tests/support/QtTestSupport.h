// Helpers for the tests that drive real Qt widgets under the offscreen
// platform: the one QApplication of a test program and a way to act on a
// modal dialog once it has opened.
#pragma once

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The process's application object, created on first use and kept to the end
// (Qt must not be torn down by static destructors).
inline QApplication* EnsureQApp() {
    static int argc = 1;
    static char name[] = "gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance())
                                   ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                   : new QApplication(argc, argv);
    return app;
}

// Raised by CancelPendingModals: waiters of an earlier test give up quietly.
inline int& ModalWaitGeneration() {
    static int generation = 0;
    return generation;
}
inline void CancelPendingModals() { ++ModalWaitGeneration(); }

// Calls act(dialog) from inside the event loop of the next modal window of
// type T, as soon as it is shown. Fails the test when none appears.
template <typename T = QWidget>
void OnNextModal(std::function<void(T*)> act, const QWidget* notThis = nullptr) {
    struct Poller {
        std::function<void(T*)> act;
        const QWidget* notThis;
        int generation;
        int tries = 0;
        void Poll(std::shared_ptr<Poller> self) {
            if (generation != ModalWaitGeneration()) return;
            QWidget* w = QApplication::activeModalWidget();
            if (auto* t = qobject_cast<T*>(w); t && t != notThis && t->isVisible()) {
                act(t);
                return;
            }
            if (++tries > 2000) {
                ADD_FAILURE() << "no modal dialog appeared";
                return;
            }
            QTimer::singleShot(0, [self] { self->Poll(self); });
        }
    };
    auto p = std::make_shared<Poller>(Poller{std::move(act), notThis, ModalWaitGeneration()});
    QTimer::singleShot(0, [p] { p->Poll(p); });
}
