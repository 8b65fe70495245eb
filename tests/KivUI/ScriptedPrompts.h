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
    std::vector<KivOpenPanelOptions> openPanels;
    std::vector<KivSavePanelOptions> savePanels;
    int beeps = 0;

    int runAlert(const KivAlert& alert) override {
        alerts.push_back(alert);
        return nextAnswer();
    }
    // Ends at once, as if the user had answered straight away.
    void beginSheet(QWidget* window, const KivAlert& alert,
                    std::function<void(int)> done) override {
        sheets.push_back(alert);
        sheetWindows.push_back(window);
        const int answer = nextAnswer();
        if (done) {
            done(answer);
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
