#pragma once
// Command routing: a command id goes to the active view, its document, the main frame and the application
// object, in that order. Each of them is a CommandTarget with a table of handlers; the first one that has a
// handler for the id runs it and decides whether it is enabled or checked. A command that no target in the
// chain handles is disabled.

#include <functional>
#include <optional>
#include <unordered_map>

struct CommandState {
    bool enabled = true;
    std::optional<bool> checked; // set by handlers of check items
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    using Run = std::function<void()>;
    using Update = std::function<void(CommandState&)>;

    // Registers the handler of command id; update (optional) decides its enable and check state.
    void onCommand(int id, Run run, Update update = {});
    // Removes the handler of id (the command then goes on along the chain).
    void removeCommand(int id);

    // True when this target handles id; state is then filled by the update handler.
    bool queryCommand(int id, CommandState& state) const;
    // Runs the handler of id; false when this target has none.
    bool runCommand(int id) const;

private:
    struct Entry {
        Run run;
        Update update;
    };
    std::unordered_map<int, Entry> handlers;
};
