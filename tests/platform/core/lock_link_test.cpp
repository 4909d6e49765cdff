// The lock link between holder and saver: each side reads the other as
// hostile, so anything malformed is dropped, without leaking a descriptor.
#include "core/lock_link.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "core/framebuffer.h"

namespace {

using namespace platform::detail::lock;
using platform::detail::kMaxFramebufferSide;

std::size_t OpenDescriptors() {
  const std::filesystem::directory_iterator all("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(begin(all), end(all)));
}

int Memfd() { return memfd_create("lock-link-test", MFD_CLOEXEC); }

ino_t Inode(int fd) {
  struct stat about {};
  return fstat(fd, &about) == 0 ? about.st_ino : 0;
}

// Sends raw bytes with `count` descriptors, as a hostile peer may.
void SendRaw(int link, const void *bytes, std::size_t size, int count) {
  iovec part{const_cast<void *>(bytes), size};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(8 * sizeof(int))]{};
  std::vector<int> fds;
  for (int i = 0; i < count; ++i) {
    fds.push_back(Memfd());
  }
  if (count > 0) {
    header.msg_control = control;
    header.msg_controllen = CMSG_SPACE(fds.size() * sizeof(int));
    cmsghdr *c = CMSG_FIRSTHDR(&header);
    ASSERT_NE(c, nullptr);
    *c = cmsghdr{CMSG_LEN(fds.size() * sizeof(int)), SOL_SOCKET, SCM_RIGHTS};
    std::memcpy(CMSG_DATA(c), fds.data(), fds.size() * sizeof(int));
  }
  EXPECT_EQ(sendmsg(link, &header, 0), static_cast<ssize_t>(size));
  for (int fd : fds) {
    close(fd);
  }
}

class LockLink : public ::testing::Test {
protected:
  void SetUp() override {
    before = OpenDescriptors();
    ASSERT_TRUE(MakeLink(ends));
  }
  void TearDown() override {
    close(ends[0]);
    close(ends[1]);
    EXPECT_EQ(OpenDescriptors(), before) << "a descriptor leaked";
  }
  Got Next(Message *m, int *fd) { return Receive(ends[1], m, fd); }
  // What Receive makes of `m` sent with `fd` (closed here either way).
  Got Deliver(const Message &m, int fd = -1) {
    EXPECT_TRUE(Send(ends[0], m, fd));
    if (fd >= 0) {
      close(fd);
    }
    Message got;
    int received = -1;
    const Got result = Next(&got, &received);
    if (received >= 0) {
      close(received);
    }
    return result;
  }
  int ends[2] = {-1, -1};
  std::size_t before = 0;
};

Message Valid(Kind kind) {
  Message m;
  m.kind = kind;
  m.a = 1;
  m.b = 1;
  return m;
}

TEST_F(LockLink, EveryKindCrossesWithItsDescriptorAndOnlyThen) {
  for (uint32_t k = 1; k <= static_cast<uint32_t>(Kind::kCursor); ++k) {
    const auto kind = static_cast<Kind>(k);
    const bool takesFd = kind == Kind::kScreen || kind == Kind::kBuffers;
    Message m = Valid(kind);
    m.boxCount = 2;
    m.boxes[1] = Box{1, 2, 3, 4};
    m.textLength = 3;
    std::memcpy(m.text, "p\xC3\xA4", 3);
    const int memory = Memfd();
    ASSERT_TRUE(Send(ends[0], m, memory));
    Message got;
    int fd = -1;
    if (takesFd) {
      ASSERT_EQ(Next(&got, &fd), Got::kMessage) << k;
      EXPECT_EQ(Inode(fd), Inode(memory));
      EXPECT_EQ(got.boxes[1].bottom, 4);
      EXPECT_EQ(std::string(got.text, got.textLength), "p\xC3\xA4");
      close(fd);
    } else {
      EXPECT_EQ(Next(&got, &fd), Got::kDropped) << k;
      EXPECT_EQ(fd, -1);
    }
    close(memory);
    EXPECT_EQ(Deliver(m),
              kind == Kind::kBuffers ? Got::kDropped : Got::kMessage)
        << k;
  }
}

TEST_F(LockLink, MalformedMessagesAreDroppedAndTheLinkGoesOn) {
  const std::vector<std::function<void(Message &)>> breaks = {
      [](Message &m) { m.a = 0; },
      [](Message &m) { m.b = -1; },
      [](Message &m) { m.a = kMaxFramebufferSide + 1; },
      [](Message &m) { m.boxCount = kMaxBoxes + 1; },
      [](Message &m) { m.textLength = kMaxText + 1; },
      [](Message &m) { m.kind = Kind{0}; },
      [](Message &m) { m.kind = Kind{99}; },
  };
  for (const auto &breakIt : breaks) {
    Message m = Valid(Kind::kScreen);
    breakIt(m);
    EXPECT_EQ(Deliver(m, Memfd()), Got::kDropped);
  }
  for (Kind kind : {Kind::kKey, Kind::kCheck}) {
    Message m = Valid(kind);
    m.textLength = 3;
    std::memcpy(m.text, "a\0b", 3);
    EXPECT_EQ(Deliver(m), Got::kDropped) << "NUL in text";
  }
  // Short, empty and long packets; several descriptors, then more than
  // Receive has room for (the kernel truncates them: dropped).
  const Message m = Valid(Kind::kScreen);
  std::vector<char> big(sizeof m + 16);
  std::memcpy(big.data(), &m, sizeof m);
  const struct {
    std::size_t size;
    int fds;
  } raw[] = {{0, 2},          {1, 2},        {sizeof m - 1, 1},
             {big.size(), 1}, {sizeof m, 3}, {sizeof m, 6}};
  for (const auto &r : raw) {
    SendRaw(ends[0], big.data(), r.size, r.fds);
    Message got;
    int fd = -1;
    const bool whole = r.size == sizeof m && r.fds < 4;
    EXPECT_EQ(Next(&got, &fd), whole ? Got::kMessage : Got::kDropped) << r.size;
    EXPECT_EQ(fd >= 0, whole);
    if (fd >= 0) {
      close(fd);
    }
  }
  EXPECT_EQ(Deliver(Valid(Kind::kFrame)), Got::kMessage);
}

TEST_F(LockLink, RandomPacketsNeverCrashOrLeak) {
  std::mt19937 random(7);
  std::vector<unsigned char> bytes(sizeof(Message) + 8);
  Message got;
  for (int i = 0; i < 3000; ++i) {
    for (unsigned char &b : bytes) {
      b = static_cast<unsigned char>(random());
    }
    // Mostly whole packets of a real kind, so the checks past the size run.
    bytes[0] = static_cast<unsigned char>(random() % 13);
    std::memset(bytes.data() + 1, 0, 3);
    const std::size_t size =
        random() % 2 ? sizeof(Message) : random() % bytes.size();
    SendRaw(ends[0], bytes.data(), size, random() % 4 == 0 ? 1 : 0);
    int fd = -1;
    const Got result = Next(&got, &fd);
    ASSERT_TRUE(result == Got::kMessage || result == Got::kDropped);
    ASSERT_TRUE(result == Got::kMessage || fd == -1);
    if (fd >= 0) {
      close(fd);
    }
  }
}

TEST_F(LockLink, ReceiveNeverWaitsAndSeesTheEnd) {
  Message got;
  int fd = -1;
  EXPECT_EQ(Next(&got, &fd), Got::kNothing);
  close(ends[0]);
  ends[0] = Memfd(); // closed by TearDown
  EXPECT_EQ(Next(&got, &fd), Got::kClosed);
}

} // namespace
