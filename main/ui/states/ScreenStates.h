// Every state of every screen, by name, for screenshots and for tests that visit them all.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class AppShell;
class Model;

struct ScreenState {
    QString name;                                      ///< "start-empty", "result-every-line"…
    std::function<void(Model&, AppShell&)> enter;      ///< puts the window's model into the state
};

/// In order, each state entered from the one before: start, progress, result, failure. The
/// texts come from the model as a run would make them, in the language installed.
std::vector<ScreenState> screenStates();
