// quorvex-phonesim: a simulated Motorola handset on a pseudo-terminal, so that the window
// and the command-line front end can be used without a phone. Prints the device path as
// its first line and serves until SIGINT or SIGTERM.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/phone_sim.h"

namespace {

constexpr const char* kUsage =
    "usage: quorvex-phonesim [OPTIONS]\n"
    "\n"
    "Runs a simulated handset on a pseudo-terminal and prints its device path.\n"
    "\n"
    "  --model NAME         handset model (default C350)\n"
    "  --echo on|off        command echo at power-on (default on)\n"
    "  --baud N             pace output at N baud, 10 bits per byte (default: unpaced)\n"
    "  --latency MS         wait MS milliseconds before each reply\n"
    "  --silent-after N     after N answered commands, answer nothing more\n"
    "  --hangup-after N     answer N commands, then half a reply, then hang up\n"
    "  --garbage-after N    after N answered commands, answer with noise only\n"
    "  --error-on CMD       answer ERROR to commands beginning with CMD (repeatable)\n"
    "  --split              write replies in pieces of 1 to 3 bytes\n"
    "  --long-entries       phone book lines of 25 fields and a long AT+MPBR=? reply,\n"
    "                       as some real handsets send them\n"
    "  --unsolicited N      send unsolicited result codes (RING, +CMTI, +CMT with its\n"
    "                       text, ...) at each chosen place with a chance of 1 in N\n"
    "  --unsolicited-at P   the places, comma-separated: before (the echo), between\n"
    "                       (answer lines), after (the final result); default all three\n"
    "  --needs-mode2        refuse the Motorola phone book, group and date book commands\n"
    "                       until AT+MODE=2, as newer handsets do\n"
    "  --seed N             seed of the noise, the piece sizes and the codes (default 1)\n"
    "  --state FILE         load the handset from FILE and save it there after each change\n"
    "  --empty              start without the demo phone book, date book and messages\n"
    "  --bare-imsi          answer AT+CIMI with the digits alone, without +CIMI:\n"
    "  --replay FILE        answer from a recorded transcript instead of the handset\n"
    "  --quoted-titles      send date book titles in double quotes in UCS2 too\n"
    "  --full-year-stamps   write message time stamps as yyyy/M/d,hh:mm:ss, without\n"
    "                       the zone, instead of yy/MM/dd,hh:mm:ss+zz\n"
    "  --link PATH          make PATH a symbolic link to the device while running\n"
    "  --help               show this text\n";

struct UsageError {
  std::string text;
};

int ParseInt(std::string_view option, std::string_view value, int lo) {
  int v = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (value.empty() || ec != std::errc() || end != value.data() + value.size() || v < lo) {
    throw UsageError{std::string(option) + " needs a whole number" +
                     (lo > 0    ? " above 0"
                      : lo == 0 ? " of 0 or more"
                                : "") +
                     ", not '" + std::string(value) + "'"};
  }
  return v;
}

void SetPlaces(std::string_view list, quorvex::sim::SimOptions& o) {
  o.unsolicitedBeforeEcho = o.unsolicitedBetweenLines = o.unsolicitedAfterResult = false;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view place = list.substr(0, comma);
    if (place == "before") {
      o.unsolicitedBeforeEcho = true;
    } else if (place == "between") {
      o.unsolicitedBetweenLines = true;
    } else if (place == "after") {
      o.unsolicitedAfterResult = true;
    } else {
      throw UsageError{"--unsolicited-at takes before, between and after, not '" +
                       std::string(place) + "'"};
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
}

bool IsOurLink(const std::string& link, const std::string& target) {
  char buffer[4096];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
  return n >= 0 && std::string(buffer, static_cast<std::size_t>(n)) == target;
}

void MakeLink(const std::string& link, const std::string& target) {
  struct stat st {};
  if (::lstat(link.c_str(), &st) == 0) {
    // A link left behind by an earlier run is replaced; anything else stays untouched.
    if (!S_ISLNK(st.st_mode)) {
      throw std::runtime_error(link + " exists and is not a symbolic link");
    }
    if (::unlink(link.c_str()) != 0) {
      throw std::runtime_error("cannot remove " + link + ": " + std::strerror(errno));
    }
  }
  if (::symlink(target.c_str(), link.c_str()) != 0) {
    throw std::runtime_error("cannot create " + link + ": " + std::strerror(errno));
  }
}

}  // namespace

int main(int argc, char** argv) {
  quorvex::sim::SimOptions options;
  std::string link;
  try {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string_view opt = args[i];
      const auto value = [&]() -> std::string_view {
        if (i + 1 >= args.size()) throw UsageError{std::string(opt) + " needs a value"};
        return args[++i];
      };
      if (opt == "--help" || opt == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
      } else if (opt == "--model") {
        options.model = std::string(value());
      } else if (opt == "--echo") {
        const std::string_view v = value();
        if (v != "on" && v != "off") throw UsageError{"--echo takes on or off"};
        options.echo = v == "on";
      } else if (opt == "--baud") {
        options.baud = ParseInt(opt, value(), 1);
      } else if (opt == "--latency") {
        options.latencyMs = ParseInt(opt, value(), 0);
      } else if (opt == "--silent-after") {
        options.silentAfter = ParseInt(opt, value(), 0);
      } else if (opt == "--hangup-after") {
        options.hangupAfter = ParseInt(opt, value(), 0);
      } else if (opt == "--garbage-after") {
        options.garbageAfter = ParseInt(opt, value(), 0);
      } else if (opt == "--error-on") {
        const std::string_view v = value();
        if (v.empty()) throw UsageError{"--error-on needs a command"};
        options.errorOn.emplace_back(v);
      } else if (opt == "--split") {
        options.split = true;
      } else if (opt == "--long-entries") {
        options.longEntryLines = true;
      } else if (opt == "--unsolicited") {
        options.unsolicitedOneIn = ParseInt(opt, value(), 1);
      } else if (opt == "--unsolicited-at") {
        SetPlaces(value(), options);
      } else if (opt == "--needs-mode2") {
        options.needsMode2 = true;
      } else if (opt == "--seed") {
        options.seed = static_cast<std::uint32_t>(ParseInt(opt, value(), 0));
      } else if (opt == "--state") {
        options.stateFile = std::string(value());
      } else if (opt == "--empty") {
        options.demoData = false;
      } else if (opt == "--bare-imsi") {
        options.bareImsi = true;
      } else if (opt == "--replay") {
        options.replayFile = std::string(value());
        if (options.replayFile.empty()) throw UsageError{"--replay needs a file"};
      } else if (opt == "--quoted-titles") {
        options.quotedTitles = true;
      } else if (opt == "--full-year-stamps") {
        options.fullYearStamps = true;
      } else if (opt == "--link") {
        link = std::string(value());
        if (link.empty()) throw UsageError{"--link needs a path"};
      } else {
        throw UsageError{"unknown option '" + std::string(opt) + "'"};
      }
    }
  } catch (const UsageError& e) {
    std::fprintf(stderr, "quorvex-phonesim: %s\n%s", e.text.c_str(), kUsage);
    return 2;
  }

  // The serving thread inherits this mask, so only sigwait below sees the signals.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    quorvex::sim::PhoneSim sim(options);
    sim.start();
    if (!link.empty()) MakeLink(link, sim.slavePath());
    std::printf("%s\n", sim.slavePath().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.stop();
    if (!link.empty() && IsOurLink(link, sim.slavePath())) ::unlink(link.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvex-phonesim: %s\n", e.what());
    return 1;
  }
  return 0;
}
