#pragma once

#include <string>

#include "interfaces/exit_codes.h"

namespace tq {

class DecisionLog;
class ModMain;
class ProcessServices;
class UserInterface;
struct LaunchChoices;

inline constexpr unsigned kSplashMilliseconds = 2000;
inline constexpr unsigned kWaitAfterStartMilliseconds = 10000;

// The work of the splash timer's first tick: close the splash, choose the
// Java runtime, start the application, wait, end the process. Errors that
// no step handles leave it. Does not return: the process ends inside.
void Timer1_Timer(UserInterface& ui, ProcessServices& process, ModMain& modMain,
                  const LaunchChoices& choices, DecisionLog& log);

// The tick as the window's timer delivers it: Timer1_Timer under the
// top-level report, which shows an untrapped error's number and
// description and ends the process. Nothing escapes from here.
void RunTimerTick(UserInterface& ui, ProcessServices& process, ModMain& modMain,
                  const LaunchChoices& choices, DecisionLog& log);

// The same for a launcher with no settings and no log.
void RunTimerTick(UserInterface& ui, ProcessServices& process, ModMain& modMain);

// The user closed the splash before its tick: nothing was started. Gives
// the exit code.
unsigned SplashClosedByTheUser(DecisionLog& log);

}  // namespace tq
