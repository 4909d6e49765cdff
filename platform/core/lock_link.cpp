#include "core/lock_link.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string.h>

#include "core/framebuffer.h"
#include "winapi.h"

namespace platform::detail::lock {

bool MakeLink(int ends[2]) {
  return socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) == 0;
}

bool Send(int link, const Message &message, int fd) {
  iovec part{const_cast<Message *>(&message), sizeof message};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))]{};
  if (fd >= 0) {
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    cmsghdr *c = CMSG_FIRSTHDR(&header);
    if (c == nullptr) {
      return false;
    }
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
  }
  ssize_t sent = 0;
  do {
    sent = sendmsg(link, &header, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(sizeof message);
}

namespace {

bool Within(int32_t v, int32_t low, int32_t high) {
  return v >= low && v <= high;
}

bool NoNul(const Message &m) {
  return std::memchr(m.text, '\0', m.textLength) == nullptr;
}

} // namespace

bool WellFormed(const Message &m) {
  if (m.boxCount > kMaxBoxes || m.textLength > kMaxText) {
    return false;
  }
  switch (m.kind) {
  case Kind::kScreen:
  case Kind::kBuffers:
    return Within(m.a, 1, kMaxFramebufferSide) &&
           Within(m.b, 1, kMaxFramebufferSide);
  case Kind::kKey:
    return Within(m.a, 0, 255) && Within(m.b, 0, 1) && NoNul(m);
  case Kind::kPointer:
    return Within(m.a, -kMaxFramebufferSide, kMaxFramebufferSide) &&
           Within(m.b, -kMaxFramebufferSide, kMaxFramebufferSide);
  case Kind::kButton:
    return (m.a == VK_LBUTTON || m.a == VK_RBUTTON || m.a == VK_MBUTTON) &&
           Within(m.b, 0, 1);
  case Kind::kReleased:
  case Kind::kCommit:
    return Within(m.a, 0, 1);
  case Kind::kVerdict:
  case Kind::kCursor:
    return Within(m.a, 0, 1);
  case Kind::kFrame:
    return true;
  case Kind::kCheck:
    return NoNul(m);
  }
  return false;
}

Got Receive(int link, Message *message, int *fd) {
  *fd = -1;
  iovec part{message, sizeof *message};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  // Room for more than one descriptor, so that extra ones are seen, and
  // closed, rather than lost in the kernel's truncation.
  alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))]{};
  header.msg_control = control;
  header.msg_controllen = sizeof control;
  ssize_t got = 0;
  do {
    got = recvmsg(link, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
  } while (got < 0 && errno == EINTR);
  if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
    return Got::kClosed;
  }
  if (got == 0) {
    // An empty packet reads as the end too: only a hang-up is one.
    pollfd end{link, 0, 0};
    if (poll(&end, 1, 0) != 0 && (end.revents & (POLLHUP | POLLERR)) != 0) {
      return Got::kClosed;
    }
  }
  if (got < 0) {
    return Got::kNothing;
  }
  for (cmsghdr *c = CMSG_FIRSTHDR(&header); c != nullptr;
       c = CMSG_NXTHDR(&header, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) {
      continue;
    }
    const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < count; ++i) {
      int received = -1;
      std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof received);
      if (*fd < 0) {
        *fd = received;
      } else {
        close(received);
      }
    }
  }
  const bool wantsFd =
      message->kind == Kind::kBuffers || message->kind == Kind::kScreen;
  const bool good = got == static_cast<ssize_t>(sizeof *message) &&
                    (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) == 0 &&
                    WellFormed(*message) && (*fd < 0 || wantsFd) &&
                    (*fd >= 0 || message->kind != Kind::kBuffers);
  if (!good) {
    if (*fd >= 0) {
      close(*fd);
      *fd = -1;
    }
    Wipe(message);
    return Got::kDropped;
  }
  return Got::kMessage;
}

void Wipe(Message *message) { explicit_bzero(message, sizeof *message); }

} // namespace platform::detail::lock
