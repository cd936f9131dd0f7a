#include "platform/UnhandledErrors.h"

#include "platform/ArabicConventions.h"
#include "platform/Replaceable.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace platform {
namespace {

void showMessageBox(const PlatformError& error)
{
    // A parent reads the first sentence; the detail after it is for whoever looks after the computer.
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QStringLiteral("لم يستطع البرنامج إتمام ما طُلب منه، ويمكنك متابعة استعماله."),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setInformativeText(isolateLeftToRight(
        QStringLiteral("التفاصيل: تعذّر %1.\nالسبب: %2").arg(error.failed(), error.reason())));
    prepareArabicMessageBox(box);
    box.exec();
}

Replaceable<ErrorReporter>& currentReporter()
{
    static Replaceable<ErrorReporter> reporter(showMessageBox);
    return reporter;
}

} // namespace

ErrorReporter replaceErrorReporter(ErrorReporter reporter)
{
    return currentReporter().replace(std::move(reporter));
}

void reportUnhandledError(const PlatformError& error)
{
    // stderr gets the plain texts, without the isolates that only a bidirectional display reads.
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
