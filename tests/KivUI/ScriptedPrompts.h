#pragma once

#include "KivUI/services/KivPrompts.h"

#include <deque>
#include <vector>

// The prompts of the UI tests: each alert, sheet and panel takes the next
// scripted answer and is recorded; with no answer left an alert picks its
// first button and a panel is cancelled.
class ScriptedPrompts : public KivPrompts {
public:
    std::deque<int> alertAnswers;
    std::deque<QStringList> openAnswers;
    std::deque<QString> saveAnswers;

    std::vector<KivAlert> alerts;
    std::vector<KivAlert> sheets;
    // The window each sheet was shown on.
    std::vector<QWidget*> sheetWindows;
    bool holdSheets = false;
    struct HeldSheet {
        QWidget* window;
        std::function<void(int)> done;
    };
    std::vector<HeldSheet> heldSheets;
    // The answers of the sheets the program itself ended.
    std::vector<int> endedSheets;
    std::vector<KivOpenPanelOptions> openPanels;
    std::vector<KivSavePanelOptions> savePanels;
    int beeps = 0;

    int runAlert(const KivAlert& alert) override {
        alerts.push_back(alert);
        return nextAnswer();
    }
    // Ends at once, as if the user had answered straight away; while
    // `holdSheets` is set it stays up until answerSheet() or endSheet().
    void beginSheet(QWidget* window, const KivAlert& alert,
                    std::function<void(int)> done) override {
        sheets.push_back(alert);
        sheetWindows.push_back(window);
        if (holdSheets) {
            heldSheets.push_back({window, std::move(done)});
            return;
        }
        const int answer = nextAnswer();
        if (done) {
            done(answer);
        }
    }
    void endSheet(QWidget* window, int answer) override {
        for (auto held = heldSheets.begin(); held != heldSheets.end(); ++held) {
            if (held->window == window) {
                endedSheets.push_back(answer);
                finish(held, answer);
                return;
            }
        }
    }
    // The user answers the oldest sheet held up.
    void answerSheet(int answer) {
        if (!heldSheets.empty()) {
            finish(heldSheets.begin(), answer);
        }
    }
    void beep() override { ++beeps; }
    QStringList runOpenPanel(const KivOpenPanelOptions& options) override {
        openPanels.push_back(options);
        return take(openAnswers);
    }
    QString runSavePanel(const KivSavePanelOptions& options) override {
        savePanels.push_back(options);
        return take(saveAnswers);
    }

private:
    void finish(std::vector<HeldSheet>::iterator held, int answer) {
        std::function<void(int)> done = std::move(held->done);
        heldSheets.erase(held);
        if (done) {
            done(answer);
        }
    }
    int nextAnswer() {
        if (alertAnswers.empty()) {
            return 0;
        }
        const int answer = alertAnswers.front();
        alertAnswers.pop_front();
        return answer;
    }
    template <typename T>
    static T take(std::deque<T>& answers) {
        if (answers.empty()) {
            return {};
        }
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
