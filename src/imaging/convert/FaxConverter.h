// TFaxConverter: the non-visual component that turns page images and documents into APF fax
// files. Its operations build a conversion context from the properties, run the engine and
// raise the exception of a negative result (RaiseOnError); while the component is loading they
// return the code instead.
#pragma once

#include "imaging/convert/ConvertTypes.h"
#include "imaging/errors/Component.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tolvane {

class MonoBitmap;
class BitmapPageSource;
struct ConverterContext;

class TFaxConverter : public TComponent {
public:
    using TFaxStatusEvent =
        std::function<void(TFaxConverter& sender, bool starting, bool ending, int pagesConverted,
                           int linesConverted, int64_t bytesConverted, int64_t bytesToConvert, bool& abort)>;
    using TFaxOutputLineEvent = std::function<void(TFaxConverter& sender, const uint8_t* data, int len,
                                                   bool endOfPage, bool morePages)>;
    using TFaxOpenFileEvent = std::function<void(TFaxConverter& sender, const std::string& fileName)>;
    using TFaxCloseFileEvent = std::function<void(TFaxConverter& sender)>;
    using TFaxReadLineEvent =
        std::function<void(TFaxConverter& sender, uint8_t* data, int& len, bool& endOfPage, bool& morePages)>;
    // Processes pending user-interface events while a conversion runs (coYield, coYieldOften);
    // answering Quit ends the conversion with -1003 (the hook re-posts the quit request itself).
    using TYieldHook = std::function<YieldResult()>;

    ~TFaxConverter() override;

    // Converts one bitmap into the APF file OutFileName (one page), whatever InputDocumentType
    // says. An empty bitmap gives -1002 (EBadArgument) and no file.
    int BitmapToApf(const MonoBitmap& bitmap);
    // The same for a sequence of bitmaps, one page each (renderers of multi-page documents).
    int BitmapsToApf(BitmapPageSource& pages);
    // Converts DocumentFile with the reader of InputDocumentType into OutFileName (empty: the
    // document's name with ".APF"). idNone gives -1002. Returns the number of pages.
    int ConvertDocument();
    // After a failed operation: the file the failure concerns (input or output), else empty.
    const std::string& FailedFile() const { return failedFile_; }

    // Properties.
    TFaxInputDocumentType InputDocumentType() const { return inputDocumentType_; }
    void SetInputDocumentType(TFaxInputDocumentType type) { inputDocumentType_ = type; }
    TFaxCvtOptions Options() const { return options_; }
    // Only bits 0 to 4 are kept; coYieldOften brings coYield with it.
    void SetOptions(TFaxCvtOptions options);
    TFaxResolution Resolution() const { return resolution_; }
    void SetResolution(TFaxResolution resolution) { resolution_ = resolution; }
    TFaxWidth Width() const { return width_; }
    void SetWidth(TFaxWidth width) { width_ = width; }
    unsigned TopMargin() const { return topMargin_; }
    void SetTopMargin(unsigned lines) { topMargin_ = lines; }
    unsigned LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(unsigned pixels) { leftMargin_ = pixels; }
    unsigned LinesPerPage() const { return linesPerPage_; }
    void SetLinesPerPage(unsigned lines) { linesPerPage_ = lines; }
    unsigned TabStop() const { return tabStop_; }
    void SetTabStop(unsigned characters) { tabStop_ = characters; }
    // Accepted and passed on; the built-in font is always used.
    const std::string& FontFile() const { return fontFile_; }
    void SetFontFile(const std::string& name) { fontFile_ = name; }
    TFaxFont FontType() const { return fontType_; }
    void SetFontType(TFaxFont font) { fontType_ = font; }
    const std::string& DocumentFile() const { return documentFile_; }
    // A different, non-empty name also sets OutFileName to it with the extension ".APF" (not
    // while loading).
    void SetDocumentFile(const std::string& name);
    const std::string& OutFileName() const { return outFileName_; }
    void SetOutFileName(const std::string& name) { outFileName_ = name; }
    const std::string& DefUserExtension() const { return defUserExtension_; }
    void SetDefUserExtension(const std::string& extension) { defUserExtension_ = extension; }
    // Written into the APF header; the first 20 characters are used.
    const std::string& StationID() const { return stationId_; }
    void SetStationID(const std::string& id) { stationId_ = id; }

    // Events.
    TFaxStatusEvent OnStatus;
    TFaxOutputLineEvent OnOutputLine; // declared for subclasses; no operation fires it
    TFaxOpenFileEvent OnOpenUserFile;
    TFaxCloseFileEvent OnCloseUserFile;
    TFaxReadLineEvent OnReadUserLine;
    TYieldHook YieldHook;

protected:
    // Fires OnStatus; returns its abort answer (false without a handler).
    virtual bool DoStatus(bool starting, bool ending, int pagesConverted, int linesConverted,
                          int64_t bytesConverted, int64_t bytesToConvert);
    virtual void DoOutputLine(const uint8_t* data, int len, bool endOfPage, bool morePages);
    virtual void DoOpenUserFile(const std::string& fileName);
    virtual void DoCloseUserFile();

private:
    // Builds a context for the type from the properties: 0 or a negative code.
    int Prepare(TFaxInputDocumentType type, ConverterContext*& ctx);
    int Run(TFaxInputDocumentType type, const std::function<int(ConverterContext&)>& handInput);

    TFaxInputDocumentType inputDocumentType_ = TFaxInputDocumentType::idNone;
    TFaxCvtOptions options_ = kDefaultCvtOptions;
    TFaxResolution resolution_ = TFaxResolution::frNormal;
    TFaxWidth width_ = TFaxWidth::fwNormal;
    unsigned topMargin_ = 0;
    unsigned leftMargin_ = 50;
    unsigned linesPerPage_ = 60;
    unsigned tabStop_ = 4;
    std::string fontFile_ = "DEROFAX.FNT";
    TFaxFont fontType_ = TFaxFont::ffStandard;
    std::string documentFile_;
    std::string outFileName_;
    std::string defUserExtension_;
    std::string stationId_;
    std::string failedFile_;
};

} // namespace tolvane
