// Factor weight tables of one surface and the category lookup.
//
// Each surface (turf "Siba", dirt "Dirt", hurdle "Shog") has its tables in
// OPTION1N: the category counts N(1)..N(30), the category codes, their sample
// counts and three weights per category. Categories are numbered 1..N(k);
// category 0 means "not found" and weighs 0 (factor 1 aside: see weight()).
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv::expansion {

enum class Surface { Turf = 0, Dirt = 1, Hurdle = 2, None = 3 };

// By track code text: "10".."22" turf, "23".."29" dirt, "50".."59" hurdle.
Surface surfaceOf(std::string_view trackCD);
const char* surfaceStem(Surface s);   // "Siba", "Dirt", "Shog"

// The relative file names (with "\") of one surface's tables.
struct WeightFileNames {
    std::string totalData, itemCategory, itemCategoryCount, agari, pace, soha;
};
WeightFileNames weightFileNames(Surface s);

inline constexpr int kMaxCategories = 6000;

class SurfaceTables {
public:
    enum Kind { Agari = 0, Pace = 1, Soha = 2 };

    // N(k), k = 1..30.
    int total(int k) const { return total_[k]; }
    // Category text j (1..N(k)).
    const std::string& category(int k, int j) const { return category_[k][j - 1]; }
    // Sample count of category j (0..6000); 0 for category 0 and above N(k).
    std::int32_t count(int k, int j) const;
    // Weight of category j (0..6000) as the prediction uses it: 0 for categories
    // not loaded, and for factor 1 the fill-in (category 0 and every category
    // without samples weigh like category 1).
    float weight(Kind kind, int k, int j) const;
    // Weight of category j as the table holds it, without factor 1's fill-in:
    // 0 for category 0 and above N(k).
    float storedWeight(Kind kind, int k, int j) const;

    // FindCategoryIndex: the first category of factor k whose text equals code
    // (whole text, trailing blanks included); for factor 2 when none equals,
    // the first category whose first five characters are "6" followed by
    // characters 2 to 5 of the code. 0 when nothing matches.
    int find(int k, std::string_view code) const;

    // Loads one surface's tables from the application folder. On failure returns
    // nullopt and names the file in failedFile (relative name) and why in reason.
    static std::optional<SurfaceTables> load(Surface s, std::string& failedFile, std::string& reason);
    // Builds tables from values (tests and tools): categories[k] holds N(k)
    // texts, counts/weights the parallel values.
    static SurfaceTables fromValues(const std::array<std::vector<std::string>, 31>& categories,
                                    const std::array<std::vector<std::int32_t>, 31>& counts,
                                    const std::array<std::vector<float>, 31>& agari,
                                    const std::array<std::vector<float>, 31>& pace,
                                    const std::array<std::vector<float>, 31>& soha);

private:
    void index();
    std::array<int, 31> total_{};
    std::array<std::vector<std::string>, 31> category_;
    std::array<std::vector<std::int32_t>, 31> count_;
    std::array<std::array<std::vector<float>, 31>, 3> weight_;
    std::array<float, 3> factor1Fill_{};   // category 1's weights
    // Looked up by view, without a string per lookup.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            std::uint64_t h = 14695981039346656037ull;  // FNV-1a: the codes are a few bytes long
            for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
            return static_cast<std::size_t>(h ^ (h >> 32));
        }
    };
    using CodeMap = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;
    // Per factor, an open-addressing table of category numbers (0: empty slot)
    // hashed by their texts; the first category of a text wins.
    std::array<std::vector<std::uint32_t>, 31> byCode_;
    CodeMap factor2Prefix_;           // first match wins
};

// The three surfaces' tables, loaded once per run.
struct WeightTables {
    std::array<std::optional<SurfaceTables>, 3> surfaces;
    const SurfaceTables* get(Surface s) const {
        if (s == Surface::None || !surfaces[static_cast<int>(s)]) return nullptr;
        return &*surfaces[static_cast<int>(s)];
    }
    // Loads all three; false with the first failing file named when one fails.
    bool loadAll(std::string& failedFile, std::string& reason);
};

}  // namespace kv::expansion
