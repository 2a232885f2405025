// The Windows Imaging Component behind DecodePictureFile. The size the file's
// header declares is checked against the cap before any codec sees the file
// (some codecs decode everything as they open it); then the codec is found by
// the contents, frame 0's own size is checked too, and only then are its
// pixels converted to 32-bit BGRA, copied out and turned upright.
#include "reference/picture_decode_win32.h"

#include "base/com_scope_win32.h"
#include "reference/picture_header.h"
#include "reference/reference_look.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <new>
#include <string>
#include <vector>

namespace {

// The factory and the pixel format, declared here so that no GUID library is needed.
const CLSID kImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const IID kImagingFactoryInterface = {
    0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
const GUID kFormat32bppBgra = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};

// A read past the end of a truncated file, as the codecs report it.
constexpr HRESULT kEndOfFile = static_cast<HRESULT>(0x80070026);

std::wstring SystemText(HRESULT hr) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason;
    if (text) {
        reason = text;
        LocalFree(text);
    }
    while (!reason.empty() &&
           (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    if (reason.empty()) {
        wchar_t code[16];
        wsprintfW(code, L"0x%08X", static_cast<unsigned>(hr));
        reason = std::wstring(L"The system's imaging codecs failed (error ") + code + L").";
    }
    return reason;
}

// Where decoding stopped: opening the file with a codec, or reading its
// pixels; a file whose header was recognised is a damaged picture when it
// fails to open.
enum class Stage { kOpening, kReading };

std::wstring Reason(HRESULT hr, Stage stage, bool recognised) {
    const bool damaged = stage == Stage::kReading || recognised;
    switch (hr) {
    case WINCODEC_ERR_COMPONENTNOTFOUND:
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT:
    case E_FAIL:
        return damaged ? L"The picture is damaged or incomplete."
                       : L"This is not a picture that the system's codecs can read.";
    case WINCODEC_ERR_BADHEADER:
    case WINCODEC_ERR_BADIMAGE:
    case WINCODEC_ERR_BADSTREAMDATA:
    case WINCODEC_ERR_STREAMREAD:
    case WINCODEC_ERR_STREAMNOTAVAILABLE:
    case WINCODEC_ERR_FRAMEMISSING:
    case WINCODEC_ERR_UNEXPECTEDSIZE:
    case kEndOfFile:
        return L"The picture is damaged or incomplete.";
    case WINCODEC_ERR_IMAGESIZEOUTOFRANGE:
        return L"The picture is too large to be shown.";
    case E_OUTOFMEMORY:
        return L"There is not enough memory to read the picture.";
    default:
        return SystemText(hr);
    }
}

// The first bytes of the file, for its declared size; false with a reason
// when the file cannot be read at all.
bool ReadHead(const wchar_t* path, std::vector<uint8_t>& head, std::wstring& reason) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = SystemText(HRESULT_FROM_WIN32(GetLastError()));
        return false;
    }
    head.resize(kPictureHeaderBytes);
    DWORD read = 0;
    const BOOL done = ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!done) {
        reason = SystemText(HRESULT_FROM_WIN32(error));
        return false;
    }
    head.resize(read);
    return true;
}

std::wstring SizeReason(UINT width, UINT height) {
    return L"The picture is " + std::to_wstring(width) + L" \u00d7 " + std::to_wstring(height) +
           L" pixels; pictures up to " + std::to_wstring(kMaxReferencePixels / 1000000) +
           L" million pixels and " + std::to_wstring(kMaxReferenceSide) +
           L" pixels a side can be shown.";
}

// The decoding itself; `out` is filled only on success.
HRESULT Decode(const wchar_t* path, DecodedPicture& out, std::wstring& reason, Stage& stage) {
    stage = Stage::kOpening;
    ComRef<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  kImagingFactoryInterface, factory.ReceiveVoid());
    if (FAILED(hr)) return hr;
    ComRef<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                            WICDecodeMetadataCacheOnDemand, decoder.Receive());
    if (FAILED(hr)) return hr;
    ComRef<IWICBitmapFrameDecode> frame;
    hr = decoder->GetFrame(0, frame.Receive());
    if (FAILED(hr)) return hr;
    UINT width = 0, height = 0;
    hr = frame->GetSize(&width, &height);
    if (FAILED(hr)) return hr;
    if (!ReferenceSizeAccepted(width, height)) {
        reason = SizeReason(width, height);
        return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    }
    stage = Stage::kReading;
    ComRef<IWICFormatConverter> converter;
    hr = factory->CreateFormatConverter(converter.Receive());
    if (FAILED(hr)) return hr;
    hr = converter->Initialize(frame.get(), kFormat32bppBgra, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) return hr;
    std::vector<uint32_t> pixels;
    try {
        pixels.resize(static_cast<size_t>(width) * height);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const UINT stride = width * 4;
    hr = converter->CopyPixels(nullptr, stride, stride * height,
                               reinterpret_cast<BYTE*>(pixels.data()));
    if (FAILED(hr)) return hr;
    out.width = width;
    out.height = height;
    out.pixels.swap(pixels);
    return S_OK;
}

} // namespace

bool DecodePictureFile(const wchar_t* path, DecodedPicture& out, std::wstring& reason) {
    out = DecodedPicture{};
    reason.clear();
    std::vector<uint8_t> head;
    if (!ReadHead(path, head, reason)) return false;
    uint32_t width = 0, height = 0;
    const bool recognised = DeclaredPictureSize(head.data(), head.size(), width, height);
    if (recognised && !ReferenceSizeAccepted(width, height)) {
        reason = SizeReason(width, height);
        return false;
    }
    ScopedCom com;
    Stage stage = Stage::kOpening;
    HRESULT hr = Decode(path, out, reason, stage);
    if (SUCCEEDED(hr)) {
        // The codecs leave a camera's orientation to the program.
        try {
            TurnUpright(out, DeclaredOrientation(head.data(), head.size()));
            return true;
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
    }
    if (reason.empty()) reason = Reason(hr, stage, recognised);
    out = DecodedPicture{};
    return false;
}
