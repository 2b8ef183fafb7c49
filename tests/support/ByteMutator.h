#pragma once

#include <QByteArray>

#include <algorithm>
#include <random>

// Damages a copy of a sound input the ways fuzzing does: bits flipped, bytes set to edge
// values, a cut, a piece repeated, a piece dropped, a piece of another place copied over. The
// bounded cousins of the fuzz targets feed readers such copies, from a fixed seed.
class ByteMutator
{
public:
    explicit ByteMutator(unsigned seed) : random_(seed) {}

    QByteArray damage(QByteArray bytes)
    {
        for (int rounds = 1 + below(3); rounds > 0 && !bytes.isEmpty(); --rounds) {
            const qsizetype at = below(bytes.size());
            const qsizetype length = std::min<qsizetype>(bytes.size() - at, 1 + below(64));
            switch (below(6)) {
            case 0:
                bytes[at] = char(bytes[at] ^ char(1 << below(8)));
                break;
            case 1: {
                static constexpr char kEdges[] = {'\0', '\x7f', '\x80', '\xff', '<', '&', '{', '\\', '\n', '9'};
                bytes[at] = kEdges[below(sizeof kEdges)];
                break;
            }
            case 2:
                bytes.truncate(at);
                break;
            case 3:
                bytes.insert(at, bytes.mid(at, length).repeated(1 + below(8)));
                break;
            case 4:
                bytes.remove(at, length);
                break;
            default:
                bytes.replace(at, length, bytes.mid(below(bytes.size()), length));
                break;
            }
        }
        return bytes;
    }

private:
    qsizetype below(qsizetype bound) { return std::uniform_int_distribution<qsizetype>(0, bound - 1)(random_); }

    std::mt19937 random_;
};
