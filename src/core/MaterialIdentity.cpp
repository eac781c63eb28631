#include "MaterialIdentity.h"

#include "PrintMaterial.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {
std::string upperAscii(const std::string &text)
{
    std::string upper = text;
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return upper;
}

// The sum of the field's bytes, each as a signed 8-bit value, in 32-bit unsigned arithmetic.
uint32_t byteSum(const char *field, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += uint32_t(int32_t(static_cast<signed char>(field[i])));
    return sum;
}

uint32_t nonNegativeMod(int value, int n)
{
    const int r = value % n;
    return uint32_t(r < 0 ? r + n : r);
}
} // namespace

int MaterialTypeCode(const std::string &name)
{
    static const char *const keys[] = {"ABS", "PLA",   "TPU",  "TPE",  "PETG",
                                       "PC",  "NYLON", "PEEK", "WOOD", "CARBON"};
    const std::string upper = upperAscii(name);
    for (int code = 0; code < int(sizeof(keys) / sizeof(keys[0])); ++code) {
        if (upper.compare(0, std::char_traits<char>::length(keys[code]), keys[code]) == 0)
            return code;
    }
    return -1;
}

int32_t CreationDayNumber(const QDateTime &moment)
{
    const QDateTime reference(QDate(2000, 1, 1), QTime(0, 0), Qt::LocalTime);
    const qint64 seconds = qAbs(reference.secsTo(moment));
    return int32_t(seconds / 86400);
}

int32_t CPrintMaterial::GenerateID()
{
    const int r1 = std::rand();
    std::srand(unsigned(std::time(nullptr)) + unsigned(r1));
    const int a = std::rand();
    const int r2 = std::rand();
    const int r3 = std::rand();
    const uint32_t top = nonNegativeMod(a, 100) + 1;

    const uint32_t seed1 = byteSum(m_szName, sizeof(m_szName)) + nonNegativeMod(r2, 1073741823);
    const uint32_t seed2 = byteSum(m_szManu, sizeof(m_szManu)) + nonNegativeMod(r3, 1073741823);
    std::srand(seed1);
    const int b = std::rand();
    std::srand(seed2);
    const int c = std::rand();

    const int code = MaterialTypeCode(std::string(m_szName, strnlen(m_szName, 32)));
    const uint32_t typeByte = code >= 0 ? uint32_t(code) : 64 + nonNegativeMod(b, 192);
    const uint32_t id = (top << 24) + (0xFFu << 16) + (typeByte << 8) + nonNegativeMod(c, 256);
    m_nMatID = int32_t(id);
    return m_nMatID;
}
