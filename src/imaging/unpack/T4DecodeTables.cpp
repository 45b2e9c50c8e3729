#include "imaging/unpack/T4DecodeTables.h"

#include "imaging/t4/T4Codes.h"

#include <cassert>
#include <cstddef>

namespace tolvane {
namespace {

// The code tree of one colour, used only to derive the tables.
class CodeTree {
public:
    static constexpr int kNone = -1;

    explicit CodeTree(T4Colour colour) {
        nodes_.push_back({});
        for (int run = 0; run < 64; ++run) {
            Insert(TerminatingCode(colour, run), T4Leaf::Terminating, run);
        }
        for (int run = 64; run <= kMaxMakeupRun; run += 64) {
            Insert(MakeupCode(colour, run), T4Leaf::Makeup, run);
        }
        // The EOL's eleven 0 bits: that node loops on 0, its 1-successor is the EOL.
        int node = 0;
        for (int i = 0; i < kEol.length - 1; ++i) {
            node = Child(node, 0);
        }
        zeroLoop_ = node;
    }

    // The entry for a walk from the root over up to maxBits stream bits, or Next with the
    // node reached when the code is still undecided.
    T4TableEntry Walk(int start, unsigned bits, int startDepth, int maxBits, int& reached) const {
        int node = start;
        for (int i = 0; i < maxBits; ++i) {
            const int bit = (bits >> i) & 1;
            const int depth = startDepth + i + 1;
            const int next = nodes_[static_cast<size_t>(node)].child[bit];
            if (next == kNone) {
                return {0, static_cast<uint8_t>(depth), T4Leaf::NoCode};
            }
            const Node& n = nodes_[static_cast<size_t>(next)];
            if (n.isLeaf) {
                return {static_cast<uint16_t>(n.run), static_cast<uint8_t>(depth), n.leaf};
            }
            if (next == zeroLoop_) {
                return {0, static_cast<uint8_t>(depth), T4Leaf::ZeroLoop};
            }
            node = next;
        }
        reached = node;
        return {0, static_cast<uint8_t>(startDepth + maxBits), T4Leaf::Next};
    }

private:
    struct Node {
        int child[2] = {kNone, kNone};
        bool isLeaf = false;
        T4Leaf leaf = T4Leaf::NoCode;
        int run = 0;
    };

    int Child(int node, int bit) {
        int next = nodes_[static_cast<size_t>(node)].child[bit];
        if (next == kNone) {
            next = static_cast<int>(nodes_.size());
            nodes_.push_back({});
            nodes_[static_cast<size_t>(node)].child[bit] = next;
        }
        return next;
    }

    // Code words are printed first bit first: the most significant of `length` bits.
    void Insert(const T4Code& code, T4Leaf leaf, int run) {
        int node = 0;
        for (int i = code.length - 1; i >= 0; --i) {
            node = Child(node, (code.bits >> i) & 1);
        }
        Node& n = nodes_[static_cast<size_t>(node)];
        n.isLeaf = true;
        n.leaf = leaf;
        n.run = run;
    }

    std::vector<Node> nodes_;
    int zeroLoop_ = 0;
};

T4MultiEntry Multi(const CodeTree* trees[2], const int start, unsigned bits) {
    T4MultiEntry m;
    int used = 0;
    int colour = start;
    for (;;) {
        int reached = 0;
        const T4TableEntry e = trees[colour]->Walk(0, bits >> used, 0, kT4MultiBits - used, reached);
        if (e.leaf != T4Leaf::Terminating && e.leaf != T4Leaf::Makeup) {
            break; // not a run, or not complete within the bits
        }
        if (colour == 1 && m.total + e.value > kT4PatternPixels) {
            break; // black beyond the pattern
        }
        if (colour == 1) {
            for (unsigned x = m.total; x < m.total + e.value; ++x) {
                m.pattern |= 0x80000000u >> x;
            }
        }
        if (e.leaf == T4Leaf::Terminating) {
            colour ^= 1;
        }
        m.total = static_cast<uint16_t>(m.total + e.value);
        used += e.length;
    }
    m.bits = static_cast<uint8_t>(used);
    m.flip = static_cast<uint8_t>(colour ^ start);
    return m;
}

T4ColourTable BuildColour(T4Colour colour, const CodeTree* trees[2]) {
    const CodeTree& tree = *trees[colour == T4Colour::White ? 0 : 1];
    T4ColourTable table;
    for (unsigned w = 0; w < table.first.size(); ++w) {
        int reached = 0;
        T4TableEntry e = tree.Walk(0, w, 0, kT4FirstBits, reached);
        if (e.leaf == T4Leaf::Next) {
            std::array<T4TableEntry, 1u << kT4SecondBits> next{};
            for (unsigned v = 0; v < next.size(); ++v) {
                int deeper = 0;
                next[v] = tree.Walk(reached, v, kT4FirstBits, kT4SecondBits, deeper);
                // Code words are at most 13 bits: nothing is undecided after the second level.
                assert(next[v].leaf != T4Leaf::Next);
            }
            e.value = static_cast<uint16_t>(table.second.size());
            table.second.push_back(next);
        }
        table.first[w] = e;
    }
    return table;
}

} // namespace

const T4DecodeTables& GetT4DecodeTables() {
    static const T4DecodeTables tables = [] {
        const CodeTree white(T4Colour::White);
        const CodeTree black(T4Colour::Black);
        const CodeTree* trees[2] = {&white, &black};
        T4DecodeTables t;
        t.colour[0] = BuildColour(T4Colour::White, trees);
        t.colour[1] = BuildColour(T4Colour::Black, trees);
        for (unsigned c = 0; c < 2; ++c) {
            for (unsigned w = 0; w < (1u << kT4MultiBits); ++w) {
                t.multi[c << kT4MultiBits | w] = Multi(trees, static_cast<int>(c), w);
            }
        }
        return t;
    }();
    return tables;
}

} // namespace tolvane
