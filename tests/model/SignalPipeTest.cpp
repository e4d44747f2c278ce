#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <cerrno>
#include <csignal>

#include "model/SignalPipe.h"

namespace {

volatile std::sig_atomic_t gFormerCalls = 0;
extern "C" void CountFormer(int) {
    gFormerCalls = gFormerCalls + 1;
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

}  // namespace

TEST(SignalPipeTest, SignalReachesThePipeAndTheFormerHandlingComesBack) {
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction counting {};
        counting.sa_handler = CountFormer;
        sigemptyset(&counting.sa_mask);
        struct sigaction before {};
        ASSERT_EQ(::sigaction(number, &counting, &before), 0);
        gFormerCalls = 0;
        {
            const SignalPipe pipe{number};
            ASSERT_GE(pipe.readEnd(), 0);
            EXPECT_FALSE(SignalPipe::caught());
            EXPECT_FALSE(Readable(pipe.readEnd()));
            ASSERT_EQ(::raise(number), 0);
            ASSERT_EQ(::raise(number), 0);
            EXPECT_TRUE(SignalPipe::caught()) << number;
            EXPECT_TRUE(Readable(pipe.readEnd())) << number;
            EXPECT_TRUE(pipe.drain());
            EXPECT_FALSE(pipe.drain()) << "two signals, both bytes read at once";
            EXPECT_EQ(gFormerCalls, 0);
        }
        ASSERT_EQ(::raise(number), 0);
        EXPECT_EQ(gFormerCalls, 1) << number;
        ::sigaction(number, &before, nullptr);
    }
}

TEST(SignalPipeTest, HandlerLeavesErrnoAsItWasWhenThePipeIsFull) {
    const SignalPipe pipe{SIGTERM};
    ASSERT_GE(pipe.readEnd(), 0);
    const int size = ::fcntl(pipe.readEnd(), F_SETPIPE_SZ, 4096);
    ASSERT_GT(size, 0);
    for (int i = 0; i <= size; ++i)
        ::raise(SIGTERM);  // the last writes fail: the pipe is full
    errno = EDOM;
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_EQ(errno, EDOM);
    EXPECT_TRUE(pipe.drain());
}
