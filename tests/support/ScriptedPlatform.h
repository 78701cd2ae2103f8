#pragma once
// The tests' platform: records every message box and question, answers from a queue the test sets.

#include "app/Platform.h"
#include "app/Progress.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedPlatform : public Platform {
public:
    struct Shown {
        std::string text;
        MsgIcon icon;
        MsgButtons buttons;
    };

    // Answers given in order; when the queue is empty the "no" button of the question's kind is pressed.
    std::deque<MsgAnswer> answers;
    std::vector<Shown> shown;
    int pumps = 0;
    int waitCursorDepth = 0;

    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override {
        shown.push_back({text, icon, buttons});
        if (!answers.empty()) {
            MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::OkCancel: return MsgAnswer::Cancel;
        default: return MsgAnswer::No;
        }
    }
    void pumpMessages() override { ++pumps; }
    void beginWaitCursor() override { ++waitCursorDepth; }
    void endWaitCursor() override { --waitCursorDepth; }

    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : shown) t.push_back(s.text);
        return t;
    }
};

// Progress that records what it was told and can be made to stop after a number of reports or pumps.
class RecordingProgress : public Progress {
public:
    std::vector<int> reports;
    int pumps = 0;
    int stopAfterReports = -1; // -1: never
    int stopAfterPumps = -1;
    bool stopped = false;

    void report(int percent) override {
        reports.push_back(percent);
        if (stopAfterReports >= 0 && static_cast<int>(reports.size()) >= stopAfterReports) stopped = true;
    }
    bool stopRequested() const override { return stopped; }
    void pump() override {
        ++pumps;
        if (stopAfterPumps >= 0 && pumps >= stopAfterPumps) stopped = true;
    }
};
