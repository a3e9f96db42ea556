// ParserUtil: token cutting, quote stripping and integer reading for the map reader, and the
// block-wise file copy that makes the netlist's working copy.
#include "frontend/parser_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/output_file.h"

namespace ParserUtil {

std::string NextToken(std::string& text, const char* delimiters)
{
    size_t start = text.find_first_not_of(delimiters);
    if (start == std::string::npos) {
        text.clear();
        return {};
    }
    size_t end = text.find_first_of(delimiters, start);
    std::string token = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t rest = end == std::string::npos ? std::string::npos : text.find_first_not_of(delimiters, end);
    if (rest == std::string::npos)
        text.clear();
    else
        text.erase(0, rest);
    return token;
}

std::string StripQuotes(const std::string& token)
{
    size_t first = token.find('"');
    size_t last = token.rfind('"');
    if (first == std::string::npos || first >= last) return token;
    return token.substr(first + 1, last - first - 1);
}

int ToInteger(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n' ||
                               text[i] == '\f' || text[i] == '\v'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT32_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

bool CopyFile(const std::string& source, const std::string& destination)
{
    const int descriptor = CreateExclusive(destination);
    if (descriptor < 0) return false;
    std::FILE* out = ::fdopen(descriptor, "wb");
    if (!out) {
        ::close(descriptor);
        return false;
    }
    bool ok = true;
    struct stat info {};
    const bool regular = ::stat(source.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (std::FILE* in = regular ? std::fopen(source.c_str(), "rb") : nullptr) {
        char block[4096];
        size_t got;
        while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
            if (std::fwrite(block, 1, got, out) != got) {
                ok = false;
                break;
            }
        }
        std::fclose(in);
        if (ok && std::fputc('\n', out) == EOF) ok = false;
    }
    if (std::fclose(out) != 0) ok = false;
    return ok;
}

}  // namespace ParserUtil
