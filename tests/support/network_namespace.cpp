// tavik_test_netns: runs a program in a private network of its own, where the network
// misbehaves on purpose. Its name server (127.0.0.1, bind-mounted over
// /etc/resolv.conf) says that names whose first label begins with "unknown" do not
// exist and never answers anything else; with --silent-port P a connection to
// 127.0.0.1:P is never answered (the listener's accept queue is full, so SYNs are
// dropped). The program takes this helper's place: signals reach it and its exit status
// is the helper's. Exits 77 with the reason when the machine allows no namespaces.
//
//   tavik_test_netns [--dns-timeout SECONDS] [--silent-port P] -- PROGRAM ARGS...
#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kSkip = 77;
constexpr uint16_t kDnsPort = 53;

[[noreturn]] void Skip(const char* step) {
  fprintf(stderr, "tavik_test_netns: no private network here (%s: %s)\n", step, strerror(errno));
  exit(kSkip);
}

// Writes `text` to the open `fd` and closes it; false when either fails.
bool WriteAndClose(int fd, const std::string& text) {
  const bool written =
      fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return (fd < 0 || close(fd) == 0) && written;
}

bool WriteFile(const char* path, const std::string& text) {
  return WriteAndClose(open(path, O_WRONLY | O_CLOEXEC), text);
}

// A private user, network and mount namespace with lo up and our resolv.conf.
void EnterPrivateNetwork(int dns_timeout_s) {
  const uid_t uid = getuid();
  const gid_t gid = getgid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) != 0) Skip("unshare");
  if (!WriteFile("/proc/self/setgroups", "deny") ||
      !WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
      !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
    Skip("id maps");
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) Skip("private mounts");
  char resolv[] = "/tmp/tavik-resolv-XXXXXX";
  const bool mounted =
      WriteAndClose(mkstemp(resolv), "nameserver 127.0.0.1\noptions timeout:" +
                                         std::to_string(dns_timeout_s) + " attempts:1\n") &&
      mount(resolv, "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0;
  unlink(resolv);
  if (!mounted) Skip("resolv.conf");
  const int control = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ifreq lo{};
  strcpy(lo.ifr_name, "lo");
  if (control < 0 || ioctl(control, SIOCGIFFLAGS, &lo) != 0) Skip("lo");
  lo.ifr_flags |= IFF_UP;
  if (ioctl(control, SIOCSIFFLAGS, &lo) != 0) Skip("lo up");
  close(control);
}

// A listener whose one-place accept queue is taken: further SYNs are dropped.
void HoldSilentPort(uint16_t port) {
  const sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
  const auto* at = reinterpret_cast<const sockaddr*>(&address);
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int filler = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  // Both stay open for the whole run.
  if (bind(listener, at, sizeof address) != 0 || listen(listener, 0) != 0 ||
      connect(filler, at, sizeof address) != 0)
    Skip("silent port");
}

// NXDOMAIN for a query whose first label begins with "unknown"; nothing otherwise.
void Answer(int dns) {
  unsigned char query[512];
  sockaddr_in from{};
  socklen_t size = sizeof from;
  const ssize_t length =
      recvfrom(dns, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&from), &size);
  if (length < 13 || query[12] < 7 || memcmp(query + 13, "unknown", 7) != 0) return;
  size_t end = 12;  // past the question: its labels, its type and class
  while (end < static_cast<size_t>(length) && query[end] != 0)
    end += query[end] + 1u;
  end += 5;
  if (end > static_cast<size_t>(length)) return;
  unsigned char reply[512];
  memcpy(reply, query, end);
  reply[2] = static_cast<unsigned char>(0x80 | (query[2] & 0x79));  // a response, RD kept
  reply[3] = 0x83;                                                  // RA, NXDOMAIN
  memset(reply + 6, 0, 6);  // no answer, authority or additional records
  sendto(dns, reply, end, 0, reinterpret_cast<sockaddr*>(&from), size);
}

}  // namespace

int main(int argc, char** argv) {
  int dns_timeout_s = 5, silent_port = 0, first = 1;
  for (; first + 1 < argc && strcmp(argv[first], "--") != 0; first += 2) {
    if (strcmp(argv[first], "--dns-timeout") == 0) dns_timeout_s = atoi(argv[first + 1]);
    if (strcmp(argv[first], "--silent-port") == 0) silent_port = atoi(argv[first + 1]);
  }
  if (first + 1 >= argc || strcmp(argv[first], "--") != 0) {
    fputs("usage: tavik_test_netns [--dns-timeout S] [--silent-port P] -- PROGRAM ARGS...\n",
          stderr);
    return 2;
  }
  EnterPrivateNetwork(dns_timeout_s);
  // Bound before the program starts, so that its first query waits rather than fails.
  const int dns = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const sockaddr_in server{AF_INET, htons(kDnsPort), {htonl(INADDR_LOOPBACK)}, {}};
  if (bind(dns, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0)
    Skip("name server");
  if (silent_port > 0) HoldSilentPort(static_cast<uint16_t>(silent_port));
  // The name server is a child that ends with the program; the program takes this
  // process's place, so signals reach it and its exit status is this one's.
  const pid_t parent = getpid();
  const pid_t server_process = fork();
  if (server_process < 0) Skip("fork");
  if (server_process == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(0);
    for (;;)
      Answer(dns);
  }
  execvp(argv[first + 1], argv + first + 1);
  perror(argv[first + 1]);
  return 127;
}
