#include "platform/UnhandledErrors.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace platform {
namespace {

void showMessageBox(const PlatformError& error)
{
    const QString text = QStringLiteral("تعذّر %1.\n%2").arg(error.failed(), error.reason());
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setLayoutDirection(Qt::RightToLeft);
    box.exec();
}

ErrorReporter& currentReporter()
{
    static ErrorReporter reporter = showMessageBox;
    return reporter;
}

} // namespace

ErrorReporter replaceErrorReporter(ErrorReporter reporter)
{
    ErrorReporter previous = std::move(currentReporter());
    currentReporter() = reporter ? std::move(reporter) : ErrorReporter(showMessageBox);
    return previous;
}

void reportUnhandledError(const PlatformError& error)
{
    std::fprintf(stderr, "tarbalun: %s: %s\n", qPrintable(error.failed()), qPrintable(error.reason()));
    std::fflush(stderr);
    currentReporter()(error);
}

bool runHandler(const std::function<void()>& handler) noexcept
{
    try {
        handler();
        return true;
    } catch (const PlatformError& error) {
        reportUnhandledError(error);
    } catch (const std::bad_alloc&) {
        reportUnhandledError(PlatformError(QStringLiteral("إتمام العملية"), QStringLiteral("الذاكرة لا تكفي")));
    } catch (const std::exception& error) {
        reportUnhandledError(PlatformError(QStringLiteral("إتمام العملية"), QString::fromLocal8Bit(error.what())));
    } catch (...) {
        reportUnhandledError(PlatformError(QStringLiteral("إتمام العملية"), QStringLiteral("خطأ غير معروف")));
    }
    return false;
}

} // namespace platform
