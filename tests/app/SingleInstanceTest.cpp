#include <QApplication>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "app/Startup.h"
#include "platform/SingleInstance.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

// Runs the helper process against the lock folder and returns its exit code.
int otherCopyTries(const QString &folder, bool crash = false)
{
    QProcess process;
    QStringList arguments{folder};
    if (crash)
        arguments << QStringLiteral("crash");
    process.start(QStringLiteral(TOLVARINE_LOCK_HELPER), arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "lock helper did not finish";
        return -1;
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return process.exitCode();
}

} // namespace

TEST(SingleInstance, SecondProcessIsRefusedWhileTheLockIsHeld)
{
    test::Sandbox box;
    SingleInstance first(QStringLiteral("Tolvarine"), box.path());
    ASSERT_EQ(first.tryAcquire(), SingleInstance::Result::Acquired);
    EXPECT_TRUE(first.isHeld());
    EXPECT_EQ(QFileInfo(first.lockFilePath()).fileName(), "Tolvarine.lock");
    EXPECT_TRUE(QFileInfo::exists(first.lockFilePath()));

    EXPECT_EQ(otherCopyTries(box.path()), 1);
    EXPECT_EQ(otherCopyTries(box.path()), 1) << "the refused copy must not disturb the lock";
    EXPECT_TRUE(first.isHeld());

    first.release();
    EXPECT_FALSE(first.isHeld());
    EXPECT_EQ(otherCopyTries(box.path()), 0);
    // The helper's lock ended with it.
    EXPECT_EQ(first.tryAcquire(), SingleInstance::Result::Acquired);
}

TEST(SingleInstance, LockOfACrashedCopyIsTakenOver)
{
    test::Sandbox box;
    ASSERT_EQ(otherCopyTries(box.path(), true), 3);
    SingleInstance probe(QStringLiteral("Tolvarine"), box.path());
    ASSERT_TRUE(QFileInfo::exists(probe.lockFilePath())) << "the crashed copy left its lock behind";

    EXPECT_EQ(probe.tryAcquire(), SingleInstance::Result::Acquired);
    EXPECT_EQ(otherCopyTries(box.path()), 1);
}

TEST(SingleInstance, SecondLockInTheSameProcessIsRefused)
{
    test::Sandbox box;
    SingleInstance first(QStringLiteral("Tolvarine"), box.path());
    SingleInstance second(QStringLiteral("Tolvarine"), box.path());
    ASSERT_EQ(first.tryAcquire(), SingleInstance::Result::Acquired);
    EXPECT_EQ(second.tryAcquire(), SingleInstance::Result::HeldByAnother);
    EXPECT_EQ(first.tryAcquire(), SingleInstance::Result::Acquired) << "holding it again is fine";
}

TEST(SingleInstance, LockThatCannotBeMadeIsUnavailable)
{
    test::Sandbox box;
    const QString notAFolder = box.write(QStringLiteral("plain-file"), "x");
    SingleInstance instance(QStringLiteral("Tolvarine"), notAFolder);
    EXPECT_EQ(instance.tryAcquire(), SingleInstance::Result::Unavailable);
    EXPECT_EQ(otherCopyTries(notAFolder), 2);
}

TEST(SingleInstance, DefaultLockIsPerUserAndNamedAfterTheTitle)
{
    SingleInstance instance(QStringLiteral("Tolvarine"));
    EXPECT_TRUE(instance.lockFilePath().startsWith(SingleInstance::defaultLockFolder()));
    EXPECT_TRUE(QFileInfo(instance.lockFilePath()).fileName().startsWith(QStringLiteral("Tolvarine")));
    EXPECT_FALSE(instance.isHeld()) << "nothing is locked before it is asked for";
}

TEST(StartupGuard, SecondCopyShowsTheMessageAndNoWindow)
{
    test::Sandbox box;
    SingleInstance running(QStringLiteral("Tolvarine"), box.path());
    ASSERT_EQ(running.tryAcquire(), SingleInstance::Result::Acquired);

    test::MessageRecorder recorder;
    const int windowsBefore = QApplication::topLevelWidgets().size();
    SingleInstance second(QStringLiteral("Tolvarine"), box.path());
    EXPECT_TRUE(refuseSecondCopy(second));
    ASSERT_EQ(recorder.messages().size(), 1u);
    const MessageRequest &m = recorder.messages().front();
    EXPECT_EQ(m.text, "Tolvarine は既に起動されています");
    EXPECT_EQ(m.title, "Tolvarine");
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
    EXPECT_TRUE(running.isHeld()) << "the running copy is not touched";
    EXPECT_FALSE(second.isHeld());
}

TEST(StartupGuard, FirstCopyGoesOnSilentlyAndHoldsTheLock)
{
    test::Sandbox box;
    test::MessageRecorder recorder;
    SingleInstance instance(QStringLiteral("Tolvarine"), box.path());
    EXPECT_FALSE(refuseSecondCopy(instance));
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_TRUE(instance.isHeld());
    EXPECT_EQ(otherCopyTries(box.path()), 1);
}

TEST(StartupGuard, UnusableLockFolderDoesNotKeepTheProgramFromStarting)
{
    test::Sandbox box;
    test::MessageRecorder recorder;
    SingleInstance instance(QStringLiteral("Tolvarine"), box.write(QStringLiteral("f"), "x"));
    EXPECT_FALSE(refuseSecondCopy(instance));
    EXPECT_TRUE(recorder.messages().empty());
}
