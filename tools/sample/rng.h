// The generator's own random numbers: splitmix64 seeding a xoshiro256**
// generator. Only integer arithmetic and exact double operations are used, so
// a seed gives the same world on every machine and library version.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace kvsample {

class Rng {
public:
    explicit Rng(std::uint64_t seed) {
        std::uint64_t x = seed;
        for (auto& w : s_) w = splitmix(x);
    }
    // An independent stream derived from this seed and a label.
    static Rng derive(std::uint64_t seed, std::string_view label) {
        std::uint64_t h = 1469598103934665603ull;
        for (unsigned char c : label) { h ^= c; h *= 1099511628211ull; }
        return Rng(seed ^ (h * 0x9E3779B97F4A7C15ull));
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }
    // Uniform in [0, n) without modulo bias (n > 0).
    std::uint64_t below(std::uint64_t n) {
        const std::uint64_t limit = ~std::uint64_t(0) - (~std::uint64_t(0) % n);
        std::uint64_t v;
        do { v = next(); } while (v >= limit);
        return v % n;
    }
    int range(int lo, int hi) { return lo + static_cast<int>(below(static_cast<std::uint64_t>(hi - lo + 1))); }  // [lo, hi]
    // Uniform double in [0, 1) with 53 random bits (exact).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return uniform() < p; }
    // Approximately normal (mean 0, sd 1): sum of 12 uniforms minus 6, exact in double.
    double normal() {
        double s = 0;
        for (int i = 0; i < 12; ++i) s += uniform();
        return s - 6.0;
    }
    template <class T> const T& pick(const std::vector<T>& v) { return v[below(v.size())]; }
    // Index by integer weights (sum > 0).
    int weighted(const std::vector<int>& w) {
        long long total = 0;
        for (int x : w) total += x;
        long long r = static_cast<long long>(below(static_cast<std::uint64_t>(total)));
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (r < w[i]) return static_cast<int>(i);
            r -= w[i];
        }
        return static_cast<int>(w.size()) - 1;
    }

private:
    static std::uint64_t splitmix(std::uint64_t& x) {
        std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4];
};

}  // namespace kvsample
