#include "text/Gbk.h"
#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <string>

namespace {

// One converter per direction and thread, opened on first use.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`; at a sequence iconv refuses, appends `replacement`, skips
    // `skip(rest)` input bytes and goes on. Returns false when anything was replaced.
    template <typename Skip>
    bool convert(const char* in, size_t inLeft, const std::string& replacement, Skip skip,
                 std::string* out)
    {
        bool clean = true;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buf[4096];
        while (inLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            size_t r = iconv(m_cd, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
            out->append(buf, static_cast<size_t>(dst - buf));
            if (r != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a sequence cut off at the end).
            clean = false;
            out->append(replacement);
            size_t n = std::min(inLeft, skip(in, inLeft));
            in += n;
            inLeft -= n;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
        out->append(buf, static_cast<size_t>(dst - buf));
        return clean;
    }

private:
    iconv_t m_cd;
};

// Length of the UTF-8 sequence starting at `p` (our own UTF-8, always well formed).
size_t utf8Length(const char* p, size_t left)
{
    auto c = static_cast<unsigned char>(*p);
    size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    return std::min(n, left);
}

}  // namespace

QByteArray toGbk(const QString& text)
{
    thread_local Converter conv("CP936", "UTF-8");
    const QByteArray utf8 = text.toUtf8();
    if (!conv.valid())
        return utf8;
    std::string out;
    out.reserve(static_cast<size_t>(utf8.size()));
    conv.convert(utf8.constData(), static_cast<size_t>(utf8.size()), "?", utf8Length, &out);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

QString fromGbk(const QByteArray& bytes, bool* ok)
{
    thread_local Converter conv("UTF-8", "CP936");
    bool clean = true;
    QString result;
    if (!conv.valid()) {
        result = QString::fromLatin1(bytes);
    } else {
        std::string out;
        out.reserve(static_cast<size_t>(bytes.size()) * 3 / 2);
        // A bad lead byte or a lead byte with a bad trail: drop one byte so
        // that an ASCII trail byte (a '=' or ']') is still read as itself.
        clean = conv.convert(bytes.constData(), static_cast<size_t>(bytes.size()), "\xEF\xBF\xBD",
                             [](const char*, size_t) { return size_t(1); }, &out);
        result = QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
    }
    if (ok)
        *ok = clean;
    return result;
}
