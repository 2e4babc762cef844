#pragma once

#include <QMessageBox>
#include <functional>

#include "utils/dialog_seam.h"

// A storm of refused answers: the first one's box is open while the rest arrive, as that box's own
// event loop would deliver them. Tells how many boxes were shown and how deeply they nested.
struct StormResult {
    int boxes = 0;
    int deepest = 0;
};

inline StormResult answerStorm(const std::function<void()>& answerOnce, int storm = 10000) {
    StormResult result;
    int open = 0;
    DialogSeam::setBoxHandler([&](const DialogSeam::Box&) {
        ++result.boxes;
        result.deepest = qMax(result.deepest, ++open);
        if (open == 1)
            for (int i = 1; i < storm; ++i) answerOnce();
        --open;
        return QMessageBox::Ok;
    });
    answerOnce();
    DialogSeam::setBoxHandler({});
    return result;
}
