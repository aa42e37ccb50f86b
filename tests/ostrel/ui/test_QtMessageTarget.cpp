#include "QtMessageTarget.h"
#include "QtTestSupport.h"

#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(QtMessageTargetTest, PostsFromAWorkerArriveInOrderOnTheGuiThread) {
    EnsureQApp();
    std::vector<PostedMessage> got;
    std::vector<QThread*> threads;
    QEventLoop loop;
    QtMessageTarget target(nullptr, [&](const PostedMessage& m) {
        got.push_back(m);
        threads.push_back(QThread::currentThread());
        if (m.msg == 0x0996) loop.quit();
    });
    std::thread worker([&] {
        EXPECT_EQ(PostMessage(target.Handle(), 0x0982, 0, 100), TRUE);
        for (int i = 1; i <= 3; ++i) PostMessage(target.Handle(), 0x098C, static_cast<WPARAM>(i), 0);
        PostMessage(target.Handle(), 0x0996, 0, 0);
    });
    loop.exec();
    worker.join();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].msg, 0x0982u);
    EXPECT_EQ(got[0].lParam, 100);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(got[static_cast<std::size_t>(i)].wParam, static_cast<WPARAM>(i));
    for (QThread* t : threads) EXPECT_EQ(t, QCoreApplication::instance()->thread());
}

TEST(QtMessageTargetTest, PostReturnsAtOnceAndTheSignalCarriesTheMessage) {
    EnsureQApp();
    QtMessageTarget target;
    unsigned int msg = 0;
    qintptr lParam = 0;
    QObject::connect(&target, &QtMessageTarget::posted, [&](unsigned int m, quintptr, qintptr l) {
        msg = m;
        lParam = l;
    });
    PostMessage(target.Handle(), 0x09BE, 0, -7);
    EXPECT_EQ(msg, 0u);  // nothing runs inside the post
    QCoreApplication::processEvents();
    EXPECT_EQ(msg, 0x09BEu);
    EXPECT_EQ(lParam, -7);
}

}  // namespace
