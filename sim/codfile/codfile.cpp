#include "codfile.h"

#include <cstring>

namespace cod {

namespace {

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    std::uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
    if ((extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000)) return false;
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

bool IsPrintableText(std::string_view text) {
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return false;
  }
  return IsValidUtf8(text);
}

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutU16(std::vector<std::uint8_t>* out, std::uint16_t v) {
  out->push_back(static_cast<std::uint8_t>(v));
  out->push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>* out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<std::uint8_t>(v >> shift));
}

bool CheckFields(const Module& m, std::string* error) {
  if (!IsValidModuleName(m.name)) {
    *error = "invalid module name";
  } else if (m.version.size() > 255 || !IsPrintableText(m.version)) {
    *error = "invalid module version";
  } else if (m.vendor.size() > 255 || !IsPrintableText(m.vendor)) {
    *error = "invalid vendor name";
  } else if (m.kind != Kind::kLibrary && m.kind != Kind::kApplication) {
    *error = "unknown module kind " + std::to_string(static_cast<int>(m.kind));
  } else {
    return true;
  }
  return false;
}

}  // namespace

bool IsValidModuleName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes) return false;
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", ch) != nullptr) return false;
  }
  return IsValidUtf8(name);
}

bool Encode(const Module& m, std::vector<std::uint8_t>* out, std::string* error) {
  if (!CheckFields(m, error)) return false;
  if (m.payload.size() > 0xFFFFFFFFu) {
    *error = "payload too large";
    return false;
  }
  out->clear();
  out->reserve(kHeaderSize + m.name.size() + m.version.size() + m.vendor.size() + m.payload.size());
  out->insert(out->end(), kMagic, kMagic + 4);
  PutU16(out, kFormatVersion);
  out->push_back(static_cast<std::uint8_t>(m.kind));
  out->push_back(static_cast<std::uint8_t>(m.name.size()));
  out->push_back(static_cast<std::uint8_t>(m.version.size()));
  out->push_back(static_cast<std::uint8_t>(m.vendor.size()));
  PutU32(out, static_cast<std::uint32_t>(m.payload.size()));
  for (const std::string* text : {&m.name, &m.version, &m.vendor}) {
    out->insert(out->end(), text->begin(), text->end());
  }
  out->insert(out->end(), m.payload.begin(), m.payload.end());
  return true;
}

bool Decode(std::span<const std::uint8_t> bytes, Module* out, std::string* error) {
  if (bytes.size() < 4 || std::memcmp(bytes.data(), kMagic, 4) != 0) {
    *error = "not a module (no ZCOD signature)";
    return false;
  }
  if (bytes.size() < kHeaderSize) {
    *error = "module header cut short";
    return false;
  }
  const std::uint8_t* p = bytes.data();
  std::uint16_t format = ReadU16(p + 4);
  if (format != kFormatVersion) {
    *error = "module format version " + std::to_string(format) +
             " is not supported (known: " + std::to_string(kFormatVersion) + ")";
    return false;
  }
  size_t name_size = p[7];
  size_t version_size = p[8];
  size_t vendor_size = p[9];
  std::uint64_t payload_size = ReadU32(p + 10);
  if (bytes.size() != kHeaderSize + name_size + version_size + vendor_size + payload_size) {
    *error = "module length does not match its header (cut short or trailing bytes)";
    return false;
  }
  Module m;
  m.kind = static_cast<Kind>(p[6]);
  const char* text = reinterpret_cast<const char*>(p + kHeaderSize);
  m.name.assign(text, name_size);
  m.version.assign(text + name_size, version_size);
  m.vendor.assign(text + name_size + version_size, vendor_size);
  if (!CheckFields(m, error)) return false;
  const std::uint8_t* payload = p + kHeaderSize + name_size + version_size + vendor_size;
  m.payload.assign(payload, bytes.data() + bytes.size());
  *out = std::move(m);
  return true;
}

}  // namespace cod
