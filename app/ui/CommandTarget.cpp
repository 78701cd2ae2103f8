#include "app/ui/CommandTarget.h"

void CommandTarget::onCommand(int id, Run run, Update update) {
    handlers[id] = Entry{std::move(run), std::move(update)};
}

void CommandTarget::removeCommand(int id) {
    handlers.erase(id);
}

bool CommandTarget::queryCommand(int id, CommandState& state) const {
    auto it = handlers.find(id);
    if (it == handlers.end()) return false;
    if (it->second.update) it->second.update(state);
    return true;
}

bool CommandTarget::runCommand(int id) const {
    auto it = handlers.find(id);
    if (it == handlers.end()) return false;
    // The handler may remove itself (a window that closes); keep a copy of the callable alive.
    Run run = it->second.run;
    if (run) run();
    return true;
}
