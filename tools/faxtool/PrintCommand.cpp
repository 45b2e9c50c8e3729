// faxtool print FILE.apf [--printer NAME | --pdf OUT.pdf] [--multipage] [--no-fit]
//   [--header TEXT] [--footer TEXT]
// prints a fax through the application's fax printer: to a CUPS queue (the default one without
// --printer) or into a PDF file.
#include "Command.h"
#include "imaging/errors/Exceptions.h"
#include "printing/FaxPrinter.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinterInfo>
#include <iostream>
#include <optional>

namespace faxtool {
namespace {

using namespace tolvane;

struct Options {
    std::string input;
    std::optional<std::string> printer;
    std::optional<std::string> pdf;
    bool multiPage = false;
    bool fit = true;
    std::optional<std::string> header;
    std::optional<std::string> footer;
};

const char* const kUsage =
    "usage: faxtool print FILE.apf [--printer NAME | --pdf OUT.pdf] [--multipage] [--no-fit] "
    "[--header TEXT] [--footer TEXT]";

std::optional<int> ParseArgs(const Args& args, Options& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        const auto text = [&](std::optional<std::string>& into) -> bool {
            const auto* v = value();
            if (v) {
                into = *v;
            }
            return v != nullptr;
        };
        if (a == "--printer" || a == "--pdf") {
            if (!text(a == "--printer" ? o.printer : o.pdf)) {
                return Fail(kUsage);
            }
        } else if (a == "--header" || a == "--footer") {
            if (!text(a == "--header" ? o.header : o.footer)) {
                return Fail(kUsage);
            }
        } else if (a == "--multipage") {
            o.multiPage = true;
        } else if (a == "--no-fit") {
            o.fit = false;
        } else if (!a.empty() && a[0] == '-') {
            return Fail("print: unknown option " + a);
        } else if (o.input.empty()) {
            o.input = a;
        } else {
            return Fail("print: one file at a time");
        }
    }
    if (o.input.empty() || (o.printer && o.pdf)) {
        return Fail(kUsage);
    }
    return std::nullopt;
}

int Print(const Args& args) {
    Options o;
    if (const auto status = ParseArgs(args, o)) {
        return *status;
    }
    // Printing needs fonts and a printer list, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "faxtool";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    TFaxPrinter printer;
    QPrinter& settings = printer.Printer();
    if (o.pdf) {
        settings.setOutputFormat(QPrinter::PdfFormat);
        settings.setOutputFileName(QString::fromStdString(*o.pdf));
    } else if (o.printer) {
        const QString queue = QString::fromStdString(*o.printer);
        if (QPrinterInfo::printerInfo(queue).isNull()) {
            return Fail("print: no printer named " + *o.printer);
        }
        settings.setPrinterName(queue);
    } else if (settings.printerName().isEmpty()) {
        return Fail("print: no default printer; give --printer NAME or --pdf OUT.pdf");
    }
    if (o.header) {
        printer.FaxHeader().Caption = QString::fromStdString(*o.header);
    }
    if (o.footer) {
        printer.FaxFooter().Caption = QString::fromStdString(*o.footer);
    }
    printer.SetMultiPage(o.multiPage);
    printer.SetPrintScale(o.fit ? TFaxPrintScale::psFitToPage : TFaxPrintScale::psNone);
    try {
        printer.SetFileName(QString::fromStdString(o.input));
        if (printer.TotalPages() == 0) {
            return Fail(o.input + ": " +
                        (QFileInfo::exists(QString::fromStdString(o.input)) ? "not a fax file with pages"
                                                                            : "file not found"));
        }
        printer.PrintPages();
    } catch (const Exception& e) {
        return Fail(o.input + ": " + e.Message());
    }
    std::cout << "printed " << printer.TotalPages() << (printer.TotalPages() == 1 ? " page" : " pages")
              << " to " << (o.pdf ? *o.pdf : settings.printerName().toStdString()) << '\n';
    return 0;
}

[[maybe_unused]] const bool registered = RegisterCommand(
    {"print",
     "print FILE.apf [--printer NAME | --pdf OUT.pdf] [--multipage] [--no-fit] [--header TEXT] "
     "[--footer TEXT]   print through the fax printer",
     &Print});

} // namespace
} // namespace faxtool
