// maj-bench-window: two update starts in one process, either through the real window on the offscreen
// platform with a 10 ms timer on its thread, or through the session alone on the main thread. Started by
// maj-bench's window part; writes "seconds" (the sessions' wall time, from the start of each run to its
// end) and, with the window, "longestGapMs" (the longest time between two ticks of the timer) to a file.
//   maj-bench-window --window|--no-window RESULT DATASOURCE APPLICATION
#include <QApplication>
#include <QFrame>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/frm_maj.h"
#include "platform/paths.h"
#include "session/update_session.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// One start through the window; the window is closed when its end panel shows.
double WindowRun(double& longestGapMs) {
  maj::app::Frm_maj screen;
  Clock::time_point started{};
  Clock::time_point ended{};
  QObject::connect(&screen, &maj::app::Frm_maj::StateRendered, [&](const maj::session::SessionState& state) {
    if (started == Clock::time_point{}) started = Clock::now();
    if (state.kind == maj::session::StateKind::Ended) ended = Clock::now();
  });
  QTimer ticks;
  Clock::time_point lastTick = Clock::now();
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    // Only while the session runs: the second before the start is the window's own timer.
    if (started != Clock::time_point{} && ended == Clock::time_point{}) {
      longestGapMs = std::max(longestGapMs, Seconds(now - lastTick) * 1000.0);
    }
    lastTick = now;
  });
  ticks.start(10);
  QTimer finish;
  QObject::connect(&finish, &QTimer::timeout, [&] {
    if (ended != Clock::time_point{} && !screen.SessionRunning()) QApplication::quit();
  });
  finish.start(50);
  screen.show();
  QApplication::exec();
  screen.close();
  return Seconds(ended - started);
}

double WindowlessRun() {
  const Clock::time_point started = Clock::now();
  maj::session::FrontEnd frontEnd;
  frontEnd.Report = [](const maj::session::SessionState&) {};
  frontEnd.WaitForMainApplication = [](std::int32_t) { return true; };
  maj::session::SessionConnection connection;
  maj::session::UpdateSession session(std::move(frontEnd), connection);
  if (session.Run() != maj::session::Outcome::Completed) throw std::runtime_error("the run failed");
  return Seconds(Clock::now() - started);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: maj-bench-window --window|--no-window RESULT DATASOURCE APPLICATION\n", stderr);
    return 2;
  }
  const bool window = std::string(argv[1]) == "--window";
  const std::string application = argv[4];
  maj::platform::SetApplicationFolderForTesting(application);
  std::ofstream(application + "/velandre.ini");
  std::ofstream(application + "/Orv_Spec.ini") << "[DSN]\ndsnBill=" << argv[3] << "\n";
  try {
    double seconds = 0;
    double longestGapMs = 0;
    if (window) {
      QApplication application(argc, argv);
      for (int start = 0; start < 2; ++start) seconds += WindowRun(longestGapMs);
    } else {
      for (int start = 0; start < 2; ++start) seconds += WindowlessRun();
    }
    std::ofstream(argv[2]) << "seconds=" << seconds << "\nlongestGapMs=" << longestGapMs << "\n";
  } catch (const std::exception& error) {
    std::fprintf(stderr, "maj-bench-window: %s\n", error.what());
    return 1;
  }
  return 0;
}
