#pragma once

#include <QString>
#include <functional>
#include <zip.h>

// What the writer and the reader share of libzip: its words for an error, and the share of the
// work done, as the window's bar shows it.

QString LibzipText(int code);
QString LibzipText(zip_error_t *error);

// Hands the share of an operation done, 0.0 to 1.0, to whoever shows it. A thousandth of the work
// between two reports: on a 100 MiB project that is a few milliseconds of compressing, so a window
// that repaints at each report never looks frozen.
class Progress {
public:
    static constexpr double kPrecision = 0.001;

    void SetHandler(std::function<void(double)> handler) { handler_ = std::move(handler); }
    void Start() { last_ = 0; }
    double Last() const { return last_; }
    // Every report, as libzip makes them.
    void Report(double share)
    {
        last_ = share;
        if (handler_)
            handler_(share);
    }
    // A report once the share has moved by the precision, and at the end.
    void ReportMoved(double share)
    {
        if (share - last_ >= kPrecision || share == 1.0)
            Report(share);
    }

private:
    std::function<void(double)> handler_;
    double last_ = 0;
};
