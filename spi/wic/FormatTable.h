#pragma once
// The picture formats this plug-in offers: one entry for every container
// whose decoder the system's imaging component reports, read once per
// process so that codecs installed on the machine appear.  Only formats
// that can be recognised from the first 2 KB of a file are listed, since
// that is all IsSupported is given.
#include <windows.h>
#include <wincodec.h>

#include <string>
#include <vector>

#include "Signature.h"

struct PictureFormat {
    GUID container = {};
    std::string patterns;  // "*.jpg;*.jpeg", lower case
    std::string typeName;  // "JPEG"
    std::vector<Signature> signatures;
};

class FormatTable {
public:
    // Reads the decoders of `factory`.
    void Load(IWICImagingFactory* factory);
    const std::vector<PictureFormat>& formats() const { return m_formats; }
    // The format whose signature the head bytes carry, or null.
    const PictureFormat* Recognise(const uint8_t* head, size_t size) const;

private:
    std::vector<PictureFormat> m_formats;
};

// The table of this process, loaded on first use (thread-safe); null when
// the imaging component could not be reached.
const FormatTable* ProcessFormats();

// "JPEG" for the JPEG container, and so on; for containers not known here,
// the decoder's own name without a trailing " Decoder".
std::string ContainerTypeName(const GUID& container, const std::wstring& friendlyName);
// ".jpg,.jpeg" -> "*.jpg;*.jpeg".
std::string PatternsFromExtensions(const std::wstring& extensions);
