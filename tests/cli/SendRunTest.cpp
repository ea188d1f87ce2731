#include "cli/SendRun.h"

#include "support/Files.h"
#include "support/ScriptedBackend.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

// A port that refuses from the first send on: what the run was asked for is counted as not
// sent, not only the message refused.
TEST(SendRun, CountsEveryMessageItWasAskedForAndDidNotSend)
{
    QTemporaryDir folder;
    const QString dumps
        = writeFile(folder.filePath("dumps.syx"), QByteArray("\xF0\x01\xF7\xF0\x02\xF7", 6));
    SendOptions once;
    once.messages = {"\x90\x3C\x7F", "\xC0\x05"};
    SendOptions repeated = once;
    repeated.repeatEvery = std::chrono::milliseconds(1);
    repeated.repeatEnd.count = 50;
    SendOptions file;
    file.sysExPath = dumps;
    const std::pair<SendOptions, std::uint64_t> cases[] = {{once, 2}, {repeated, 100}, {file, 2}};
    for (auto [options, unsent] : cases) {
        ScriptedBackend *device = nullptr;
        options.outputName = "Out";
        SendRun run(ScriptedBackend::system(device, {}, {"Out"}), options);
        device->sendsWithoutRoom = std::numeric_limits<int>::max();
        QSignalSpy finished(&run, &SendRun::finished);
        run.start();
        ASSERT_TRUE(finished.wait(10000));
        EXPECT_FALSE(run.failure().isEmpty());
        EXPECT_EQ(run.unsent(), unsent) << run.failure().toStdString();
    }
}
