// Turns a fuzzer's bytes into the values the targets feed the code: counts,
// indices and floats drawn mostly from the edges where faults live (zero,
// one, the limits of 32 bits, counts that wrap when multiplied, NaN and the
// infinities), sometimes raw.  An exhausted input reads as zeros, so every
// input, however short, is a complete case.
#pragma once

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace zorvel_fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_pos >= m_size; }
    size_t Remaining() const { return Empty() ? 0 : m_size - m_pos; }

    uint8_t Byte() { return Empty() ? 0 : m_data[m_pos++]; }

    uint32_t U32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(Byte()) << (8 * i);
        return value;
    }

    bool Bool() { return (Byte() & 1) != 0; }

    // 0 .. n - 1; n at most 256.
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : Byte() % n; }

    // A point or grid count: small, on an edge, or raw.
    uint32_t Count()
    {
        static const uint32_t kEdges[] = {
            0, 1, 2, 3, 4, 5, 7, 8, 16, 20, 50, 99, 100, 101, 172, 173, 174, 300,
            1000, 29999, 30000, 30001, 65535, 65536, 65537,
            0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFCu,
            0x3FFFFFFFu, 0x40000000u, 0x40000001u, 0x20000001u, 0x10000001u,
            0x55555556u,  // times 3 wraps to 2
            0xAAAAAAABu,  // times 3 wraps to 1
        };
        switch (Byte() % 4) {
        case 0:
        case 1:
            return Byte() % 48;
        case 2:
            return kEdges[Byte() % (sizeof(kEdges) / sizeof(kEdges[0]))];
        default:
            return U32();
        }
    }

    // A signed count as a host passes it: negative ones included.
    int32_t SignedCount()
    {
        const uint32_t count = Count();
        return static_cast<int32_t>(Bool() ? 0u - count : count);
    }

    // An index into an axis of `count` points: inside, on either edge, just
    // past it, negative when taken as signed, or raw.
    uint32_t Index(uint32_t count)
    {
        switch (Byte() % 8) {
        case 0:
            return 0;
        case 1:
            return count - 1;  // wraps to 0xFFFFFFFF for an empty axis
        case 2:
            return count;
        case 3:
            return count + 1;
        case 4:
            return 0xFFFFFFFFu;
        case 5:
            return U32();
        default:
            return count == 0 ? Byte() : U32() % count;
        }
    }

    float Float()
    {
        static const float kEdges[] = {
            0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 2.0f, 3.0f, 10.0f, -10.0f, 1e-3f,
            FLT_MIN, -FLT_MIN, FLT_MAX, -FLT_MAX, FLT_EPSILON, 1e-45f, -1e-45f,
            1e10f, -1e10f, 1e20f, -1e20f, 1e30f, 16777216.0f, 16777217.0f,
            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
            std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
            std::numeric_limits<float>::signaling_NaN(),
        };
        switch (Byte() % 4) {
        case 0:
            return kEdges[Byte() % (sizeof(kEdges) / sizeof(kEdges[0]))];
        case 1:
            return static_cast<float>(static_cast<int8_t>(Byte()));
        case 2:
            return static_cast<float>(static_cast<int16_t>(U32())) / 64.0f;
        default: {
            const uint32_t bits = U32();
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        }
    }

    // Up to `max` raw bytes.
    std::string Bytes(size_t max)
    {
        const size_t length = Remaining() < max ? Remaining() : max;
        std::string bytes(reinterpret_cast<const char*>(m_data + m_pos), length);
        m_pos += length;
        return bytes;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace zorvel_fuzz
