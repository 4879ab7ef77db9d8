#pragma once
// A dialog back end that answers from a script instead of asking anyone: tests queue the paths
// and colours a user would choose (or nothing, for Cancel) and read back what each dialog was
// asked. A dialog shown with nothing queued counts as unexpected and is cancelled.

#include "velmor/dialogs/commondialog.h"

#include <deque>
#include <vector>

namespace dialogs {

class ScriptedDialogs : public DialogBackend {
public:
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<engine::ColorValue>> colors;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<ColorDialogRequest> colorRequests;
    int unexpected = 0;

    std::optional<QString> showFile(QWidget*, const FileDialogRequest& request) override
    {
        fileRequests.push_back(request);
        return next(files);
    }
    std::optional<engine::ColorValue> showColor(QWidget*, const ColorDialogRequest& request) override
    {
        colorRequests.push_back(request);
        return next(colors);
    }

private:
    template <typename T>
    std::optional<T> next(std::deque<std::optional<T>>& queue)
    {
        if (queue.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        std::optional<T> answer;
        answer.swap(queue.front());
        queue.pop_front();
        return answer;
    }
};

} // namespace dialogs
