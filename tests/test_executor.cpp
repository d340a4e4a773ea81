#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <functional>
#include <latch>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "analysis/AnalysisScheduler.h"
#include "core/Executor.h"
#include "core/MainThreadCall.h"
#include "core/SerialLane.h"

using namespace packshelf;

namespace {

// Sums job(i) = i over `count` indices on `executor`.
std::size_t sumOfIndices(Executor& executor, std::size_t count) {
    std::atomic<std::size_t> sum{0};
    executor.forEachIndex(count, [&](std::size_t i) { sum += i; });
    return sum.load();
}

std::size_t expectedSum(std::size_t count) {
    return count * (count - 1) / 2;
}

// Every thread of a two-thread executor runs a job that calls forEachIndex
// once both are running: the helpers it hands out find no free thread.
void indicesWhileEveryThreadIsBusy(Executor& executor) {
    std::latch bothRunning(2);
    std::size_t sums[2] = {};
    for (std::size_t& sum : sums) {
        executor.start([&] {
            bothRunning.arrive_and_wait();
            sum = sumOfIndices(executor, 1000);
        });
    }
    executor.waitUntilIdle();
    EXPECT_EQ(sums[0], expectedSum(1000));
    EXPECT_EQ(sums[1], expectedSum(1000));
}

// A forEachIndex job calls forEachIndex again.
void nestedIndices(Executor& executor) {
    std::atomic<std::size_t> sum{0};
    executor.forEachIndex(8, [&](std::size_t) { sum += sumOfIndices(executor, 100); });
    EXPECT_EQ(sum.load(), 8 * expectedSum(100));
}

void laneRunsOneAtATimeInOrder(Executor& executor) {
    std::vector<int> order;
    std::atomic<int> inside{0};
    std::atomic<int> mostInside{0};
    {
        SerialLane lane(executor);
        for (int i = 0; i < 50; ++i) {
            lane.start([&, i] {
                const int now = ++inside;
                mostInside = std::max(mostInside.load(), now);
                order.push_back(i);
                --inside;
            });
        }
        // Work beside the lane does not overlap it into running twice.
        EXPECT_EQ(sumOfIndices(executor, 500), expectedSum(500));
    }
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[std::size_t(i)], i);
    EXPECT_EQ(mostInside.load(), 1);
}

// A scheduler cancelled before its first hand-out starts no worker.
void cancelledAnalysisStartsNothing(Executor& executor) {
    std::vector<ArchiveItem> list;
    for (const char* name : {"A.zip", "B.zip", "C.zip"})
        list.push_back(ArchiveItem::create(QString::fromLatin1(name), QByteArray(name)));
    MainThreadCall handOver;
    int started = 0;
    int taken = 0;
    AnalysisScheduler scheduler(
        list,
        [&](std::function<void()> body) {
            ++started;
            executor.start(std::move(body));
        },
        inProcessAnalysis(), handOver, 2,
        [] {
            return AnalysisScheduler::JobSettings{QStringLiteral("/nowhere"), std::nullopt, false};
        },
        [&](AnalyzerReport) { ++taken; });
    scheduler.begin(1);
    scheduler.cancel();
    scheduler.fill();
    EXPECT_EQ(started, 0);
    EXPECT_EQ(scheduler.outstanding(), 0);
    EXPECT_EQ(scheduler.nextIndex(), 0);
    EXPECT_EQ(taken, 0);
}

} // namespace

// The executor's promises to its clients, one row each. A row that breaks
// one either fails or never ends (and CTest's timeout reports it).
TEST(Executor, KeepsWhatItsClientsRelyOn) {
    struct Row {
        const char* name;
        int threads;
        std::function<void(Executor&)> run;
    };
    const Row rows[] = {
        {"forEachIndex from every busy thread finishes", 2, indicesWhileEveryThreadIsBusy},
        {"forEachIndex inside forEachIndex finishes", 2, nestedIndices},
        {"forEachIndex on a single thread finishes", 1, nestedIndices},
        {"a serial lane runs one job at a time, in order", 4, laneRunsOneAtATimeInOrder},
        {"an analysis cancelled before it starts runs nothing", 4, cancelledAnalysisStartsNothing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Executor executor(row.threads);
        row.run(executor);
    }
}

namespace {

// Starts a job through `startOn` that holds its thread until another thread
// lets it go, hands in more behind it, and then runs `destroy` while the
// first job still holds on: what `destroy` ends must wait for both.
void whileAJobHoldsItsThread(const std::function<void(std::function<void()>)>& startOn,
                             const std::function<void()>& handInMore,
                             const std::function<void()>& destroy) {
    std::atomic<bool> gateOpen{false};
    std::latch running(1);
    startOn([&] {
        running.count_down();
        gateOpen.wait(false);
    });
    handInMore();
    running.wait();
    std::thread opener([&] {
        gateOpen = true;
        gateOpen.notify_all();
    });
    destroy();
    opener.join();
}

} // namespace

// Quitting destroys the executor, and a lane's owner its lane: each waits
// for the job that runs and the jobs queued behind it.
TEST(Executor, EndsOnlyWhenItsWorkHasEnded) {
    std::atomic<int> ended{0};
    auto executor = std::make_unique<Executor>(1);
    whileAJobHoldsItsThread([&](std::function<void()> job) { executor->start(std::move(job)); },
                            [&] { executor->start([&] { ++ended; }); }, [&] { executor.reset(); });
    EXPECT_EQ(ended.load(), 1) << "the executor ran the job queued behind the running one";

    Executor shared(4);
    auto lane = std::make_unique<SerialLane>(shared);
    whileAJobHoldsItsThread([&](std::function<void()> job) { lane->start(std::move(job)); },
                            [&] { lane->start([&] { ++ended; }); }, [&] { lane.reset(); });
    EXPECT_EQ(ended.load(), 2) << "the lane ran the job queued behind the running one";
}

// Quitting waits for the work under way by serving the hand-over alone: the
// workers' calls run as they arrive, waiting and posted alike, and nothing
// else does (a timer that falls due meanwhile waits) until the quit is over;
// the nudges Qt still carries afterwards find nothing to run twice.
TEST(MainThreadCall, QuittingServesTheHandOverAlone) {
    int argc = 1;
    char name[] = "test_executor";
    char* argv[] = {name};
    QCoreApplication application(argc, argv);
    MainThreadCall handOver;
    Executor executor(2);
    std::vector<int> ran;
    bool timerRan = false;
    QTimer::singleShot(0, &handOver, [&] { timerRan = true; });
    for (int i = 0; i < 6; ++i) {
        executor.start([&, i] {
            const auto call = [&ran, i] { ran.push_back(i); };
            if (i % 2 == 0)
                handOver.callAndWait(call);
            else
                handOver.post(call);
        });
    }
    handOver.serveUntil([&] { return ran.size() == 6; });
    EXPECT_FALSE(timerRan);
    std::sort(ran.begin(), ran.end());
    EXPECT_EQ(ran, std::vector<int>({0, 1, 2, 3, 4, 5}));
    executor.waitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(ran.size(), 6u);
}
