#include "document/ExchangeDumpFile.h"

ExchangeDumpFile::ExchangeDumpFile(const QString& path) : m_file(path)
{
    m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void ExchangeDumpFile::line(char direction, uint8_t b)
{
    if (!m_file.isOpen())
        return;
    static const char hex[] = "0123456789abcdef";
    const char text[5] = {direction, ' ', hex[b >> 4], hex[b & 15], '\n'};
    m_file.write(text, 5);
    m_file.flush();
}

void ExchangeDumpFile::sent(uint8_t b)
{
    line('>', b);
}

void ExchangeDumpFile::received(const char* data, int n)
{
    for (int i = 0; i < n; ++i)
        line('<', static_cast<uint8_t>(data[i]));
}

int DumpingPort::putByte(int value)
{
    m_dump.sent(static_cast<uint8_t>(value));
    return m_inner.putByte(value);
}

int DumpingPort::getByte()
{
    const int b = m_inner.getByte();
    if (b >= 0) {
        const char c = static_cast<char>(b);
        m_dump.received(&c, 1);
    }
    return b;
}

int DumpingPort::read(char* buffer, int length)
{
    const int n = m_inner.read(buffer, length);
    if (n > 0)
        m_dump.received(buffer, n);
    return n;
}
