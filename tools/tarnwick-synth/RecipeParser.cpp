#include "RecipeParser.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

namespace tarnwick::synth {

namespace {

// Bounds that keep a recipe's work and memory small whatever it says.
constexpr double kMaxEnvelopeSeconds = 30.0;
constexpr size_t kMaxInstruments = 64;
constexpr size_t kMaxPartials = 32;
constexpr size_t kMaxNotes = 20000;
constexpr size_t kMaxPitchesPerItem = 16;

// A refusal of the line being read; caught once per line and turned into a RecipeError.
struct LineFailure {
    std::string mMessage;
};

[[noreturn]] void Fail(std::string message) {
    throw LineFailure{std::move(message)};
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string FormatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool ParseNumber(std::string_view text, double& value) {
    if (text.empty() || text.front() == '+')
        return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

double NumberInRange(std::string_view what, std::string_view text, double low, double high) {
    double value = 0;
    if (!ParseNumber(text, value))
        Fail("expected a number for " + std::string(what) + ", found " + Quoted(text));
    if (value < low || value > high)
        Fail(std::string(what) + " " + FormatNumber(value) + " is outside " + FormatNumber(low) +
             ".." + FormatNumber(high));
    return value;
}

// One line cut into its positional words and its name=value options.
class Statement {
public:
    explicit Statement(std::string_view line) {
        size_t at = 0;
        while (at < line.size()) {
            while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
                ++at;
            size_t end = at;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t')
                ++end;
            if (end > at)
                Add(line.substr(at, end - at));
            at = end;
        }
    }

    const std::vector<std::string_view>& Words() const { return mWords; }

    // Requires between min and max positional words after the statement's name.
    void ExpectWords(size_t min, size_t max, std::string_view usage) const {
        const size_t count = mWords.size() - 1;
        if (count < min || count > max)
            Fail("usage: " + std::string(usage));
    }

    // The value of an option in low..high, or fallback when the option is absent.
    double Number(std::string_view name, double low, double high, double fallback) {
        const std::string_view* text = Take(name);
        return text ? NumberInRange(name, *text, low, high) : fallback;
    }

    const std::string_view* Take(std::string_view name) {
        for (Option& option : mOptions)
            if (option.mName == name) {
                option.mUsed = true;
                return &option.mValue;
            }
        return nullptr;
    }

    // Refuses options that the statement does not know.
    void RequireAllOptionsUsed() const {
        for (const Option& option : mOptions)
            if (!option.mUsed)
                Fail("unknown option " + Quoted(option.mName) + " for " + Quoted(mWords[0]));
    }

private:
    struct Option {
        std::string_view mName;
        std::string_view mValue;
        bool mUsed = false;
    };

    void Add(std::string_view word) {
        const size_t equals = word.find('=');
        if (equals == std::string_view::npos) {
            if (!mOptions.empty())
                Fail("word " + Quoted(word) + " after the options; options come last");
            mWords.push_back(word);
            return;
        }
        const std::string_view name = word.substr(0, equals);
        if (name.empty() || mWords.empty())
            Fail("misplaced option " + Quoted(word));
        for (const Option& option : mOptions)
            if (option.mName == name)
                Fail("option " + Quoted(name) + " given twice");
        mOptions.push_back({name, word.substr(equals + 1)});
    }

    std::vector<std::string_view> mWords;
    std::vector<Option> mOptions;
};

std::vector<Partial> WavePartials(std::string_view wave) {
    std::vector<Partial> partials;
    if (wave == "sine") {
        partials.push_back({1, 1});
    } else if (wave == "triangle") {
        // Odd harmonics at 1/n^2 with alternating sign.
        for (int n = 1; n <= 9; n += 2)
            partials.push_back({double(n), ((n / 2) % 2 ? -1.0 : 1.0) / (n * n)});
    } else if (wave == "square" || wave == "saw") {
        // A few harmonics at 1/n, rolled off further so that the edges stay soft.
        const int step = wave == "square" ? 2 : 1;
        for (int n = 1; n <= 9; n += step)
            partials.push_back({double(n), 1.0 / n * std::exp(-0.15 * (n - 1))});
    } else {
        Fail("unknown wave " + Quoted(wave) + " (sine, triangle, square, saw, noise)");
    }
    return partials;
}

std::vector<Partial> ParsePartials(std::string_view text) {
    std::vector<Partial> partials;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const size_t colon = item.find(':');
        if (colon == std::string_view::npos)
            Fail("partial " + Quoted(item) + " is not RATIO:AMPLITUDE");
        if (partials.size() == kMaxPartials)
            Fail("more than " + std::to_string(kMaxPartials) + " partials");
        partials.push_back({NumberInRange("partial ratio", item.substr(0, colon), 0.01, 64),
                            NumberInRange("partial amplitude", item.substr(colon + 1), -10, 10)});
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    if (partials.empty())
        Fail("empty partials list");
    return partials;
}

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > 32)
        return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return false;
    return true;
}

// Reads the lines one after another into the recipe.
class RecipeReader {
public:
    explicit RecipeReader(Recipe& recipe) : mRecipe(recipe) {}

    void ReadLine(std::string_view line) {
        const size_t hash = line.find('#');
        if (hash != std::string_view::npos)
            line = line.substr(0, hash);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        Statement statement(line);
        if (statement.Words().empty())
            return;
        const std::string_view name = statement.Words()[0];
        if (name == "channels")
            ReadChannels(statement);
        else if (name == "tempo")
            ReadTempo(statement);
        else if (name == "length")
            ReadLength(statement);
        else if (name == "loop")
            ReadLoop(statement);
        else if (name == "level")
            ReadLevel(statement);
        else if (name == "seed")
            ReadSeed(statement);
        else if (name == "reverb")
            ReadReverb(statement);
        else if (name == "echo")
            ReadEcho(statement);
        else if (name == "instrument")
            ReadInstrument(statement);
        else if (name == "play")
            ReadPlay(statement);
        else if (name == "seq")
            ReadSequence(statement);
        else
            Fail("unknown statement " + Quoted(name));
        statement.RequireAllOptionsUsed();
    }

    // Checks that need the whole recipe.
    void Finish() const {
        if (mRecipe.mLoop && mRecipe.mLength <= 0)
            Fail("a loop needs a length");
        if (mRecipe.mNotes.empty())
            Fail("the recipe plays no note");
    }

private:
    void ReadChannels(Statement& statement) {
        statement.ExpectWords(1, 1, "channels 1|2");
        const double channels = NumberInRange("channels", statement.Words()[1], 1, 2);
        if (channels != 1 && channels != 2)
            Fail("channels is 1 or 2");
        mRecipe.mChannels = int(channels);
    }

    void ReadTempo(Statement& statement) {
        statement.ExpectWords(1, 1, "tempo BEATS-PER-MINUTE");
        if (mTimedLineSeen)
            Fail("tempo must come before the first line with a time");
        mSecondsPerUnit = 60.0 / NumberInRange("tempo", statement.Words()[1], 20, 400);
    }

    void ReadLength(Statement& statement) {
        statement.ExpectWords(1, 1, "length TIME");
        mRecipe.mLength = Time("length", statement.Words()[1], false);
    }

    void ReadLoop(Statement& statement) {
        statement.ExpectWords(0, 0, "loop");
        mRecipe.mLoop = true;
    }

    void ReadLevel(Statement& statement) {
        statement.ExpectWords(1, 1, "level PEAK-DB [loudness=DB]");
        mRecipe.mPeakDb = NumberInRange("level", statement.Words()[1], -40, 0);
        if (statement.Take("loudness"))
            mRecipe.mLoudnessDb = statement.Number("loudness", -60, 0, 0);
    }

    void ReadSeed(Statement& statement) {
        statement.ExpectWords(1, 1, "seed NUMBER");
        const std::string_view text = statement.Words()[1];
        const auto result = std::from_chars(text.data(), text.data() + text.size(), mRecipe.mSeed);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size())
            Fail("expected a whole number for seed, found " + Quoted(text));
    }

    void ReadReverb(Statement& statement) {
        statement.ExpectWords(0, 0, "reverb [mix=0..1] [time=SECONDS] [damp=0..1]");
        Reverb& reverb = mRecipe.mReverb;
        reverb.mMix = statement.Number("mix", 0, 1, 0.2);
        reverb.mTime = statement.Number("time", 0.1, 10, reverb.mTime);
        reverb.mDamp = statement.Number("damp", 0, 1, reverb.mDamp);
    }

    void ReadEcho(Statement& statement) {
        statement.ExpectWords(0, 0, "echo [mix=0..1] [delay=SECONDS] [feedback=0..0.9]");
        Echo& echo = mRecipe.mEcho;
        echo.mMix = statement.Number("mix", 0, 1, 0.2);
        echo.mDelay = statement.Number("delay", 0.01, 2, echo.mDelay);
        echo.mFeedback = statement.Number("feedback", 0, 0.9, echo.mFeedback);
    }

    void ReadInstrument(Statement& statement) {
        statement.ExpectWords(1, 1, "instrument NAME [option=value ...]");
        Instrument instrument;
        instrument.mName = statement.Words()[1];
        if (!IsPlainName(instrument.mName))
            Fail("instrument name " + Quoted(instrument.mName) +
                 " is not 1-32 of a-z, 0-9, '_', '-'");
        if (FindInstrument(instrument.mName) >= 0)
            Fail("instrument " + Quoted(instrument.mName) + " defined twice");
        if (mRecipe.mInstruments.size() == kMaxInstruments)
            Fail("more than " + std::to_string(kMaxInstruments) + " instruments");
        ReadSource(statement, instrument);
        Envelope& envelope = instrument.mEnvelope;
        envelope.mAttack = statement.Number("attack", 0, kMaxEnvelopeSeconds, envelope.mAttack);
        envelope.mDecay = statement.Number("decay", 0, kMaxEnvelopeSeconds, envelope.mDecay);
        envelope.mSustain = statement.Number("sustain", 0, 1, envelope.mSustain);
        envelope.mRelease = statement.Number("release", 0, kMaxEnvelopeSeconds, envelope.mRelease);
        instrument.mGain = statement.Number("gain", 0, 10, 1);
        instrument.mPan = statement.Number("pan", -1, 1, 0);
        instrument.mDamp = statement.Number("damp", 0, 100, 0);
        instrument.mGlide = statement.Number("glide", -48, 48, 0);
        instrument.mGlideTime = statement.Number("glidetime", 0, kMaxEnvelopeSeconds, 0);
        instrument.mChorusCents = statement.Number("chorus", 0, 100, 0);
        mRecipe.mInstruments.push_back(std::move(instrument));
    }

    static void ReadSource(Statement& statement, Instrument& instrument) {
        const std::string_view* wave = statement.Take("wave");
        const std::string_view* partials = statement.Take("partials");
        instrument.mNoise = wave && *wave == "noise";
        if (instrument.mNoise) {
            if (partials)
                Fail("noise has no partials");
            instrument.mNoiseBand = statement.Number("band", 20, 20000, instrument.mNoiseBand);
            instrument.mNoiseQ = statement.Number("q", 0.1, 50, instrument.mNoiseQ);
            return;
        }
        instrument.mPartials =
            partials ? ParsePartials(*partials) : WavePartials(wave ? *wave : "sine");
        if (partials && wave)
            Fail("give either wave= or partials=, not both");
    }

    void ReadPlay(Statement& statement) {
        statement.ExpectWords(4, 3 + kMaxPitchesPerItem,
                              "play INSTRUMENT TIME DURATION PITCH... [gain= pan=]");
        const std::vector<std::string_view>& words = statement.Words();
        Note note = NoteOptions(statement, words[1]);
        note.mStart = Time("time", words[2], true);
        note.mDuration = Time("duration", words[3], false);
        for (size_t i = 4; i < words.size(); ++i)
            AddChord(note, words[i]);
    }

    void ReadSequence(Statement& statement) {
        statement.ExpectWords(4, 4096, "seq INSTRUMENT TIME STEP ITEM... [gain= pan= legato=]");
        const std::vector<std::string_view>& words = statement.Words();
        Note note = NoteOptions(statement, words[1]);
        double time = Time("time", words[2], true);
        const double step = Time("step", words[3], false);
        const double legato = statement.Number("legato", 0.05, 4, 1);
        for (size_t i = 4; i < words.size(); ++i) {
            std::string_view item = words[i];
            double steps = 1;
            const size_t colon = item.find(':');
            if (colon != std::string_view::npos) {
                steps = NumberInRange("steps", item.substr(colon + 1), 0.01, 64);
                item = item.substr(0, colon);
            }
            note.mStart = time;
            note.mDuration = steps * step * legato;
            CheckTime(note.mStart + note.mDuration);
            if (item != "-")
                AddChord(note, item);
            time += steps * step;
        }
    }

    Note NoteOptions(Statement& statement, std::string_view instrumentName) {
        Note note;
        note.mInstrument = FindInstrument(instrumentName);
        if (note.mInstrument < 0)
            Fail("unknown instrument " + Quoted(instrumentName));
        note.mGain = statement.Number("gain", 0, 10, 1);
        note.mPan = statement.Number("pan", -2, 2, 0);
        return note;
    }

    // Adds one note per pitch of "C4+E4+G4".
    void AddChord(Note note, std::string_view pitches) {
        size_t count = 0;
        while (true) {
            const size_t plus = pitches.find('+');
            if (++count > kMaxPitchesPerItem)
                Fail("more than " + std::to_string(kMaxPitchesPerItem) + " pitches together");
            AddNote(note, pitches.substr(0, plus));
            if (plus == std::string_view::npos)
                break;
            pitches = pitches.substr(plus + 1);
        }
    }

    void AddNote(Note note, std::string_view pitch) {
        if (!ParsePitch(pitch, note.mFrequency))
            Fail("bad pitch " + Quoted(pitch) +
                 " (a note name such as C4, F#3, Bb5, or a "
                 "frequency such as 440hz)");
        if (mRecipe.mNotes.size() == kMaxNotes)
            Fail("more than " + std::to_string(kMaxNotes) + " notes");
        mRecipe.mNotes.push_back(note);
    }

    // A time in the recipe's unit, converted to seconds.
    double Time(std::string_view what, std::string_view text, bool zeroAllowed) {
        mTimedLineSeen = true;
        const double units = NumberInRange(what, text, 0, kMaxSeconds / mSecondsPerUnit);
        if (!zeroAllowed && units == 0)
            Fail(std::string(what) + " must be above 0");
        return units * mSecondsPerUnit;
    }

    void CheckTime(double seconds) const {
        if (seconds > kMaxSeconds)
            Fail("the sequence runs past " + FormatNumber(kMaxSeconds) + " seconds");
    }

    int FindInstrument(std::string_view name) const {
        for (size_t i = 0; i < mRecipe.mInstruments.size(); ++i)
            if (mRecipe.mInstruments[i].mName == name)
                return int(i);
        return -1;
    }

    Recipe& mRecipe;
    double mSecondsPerUnit = 1.0;
    bool mTimedLineSeen = false;
};

} // namespace

bool ParsePitch(std::string_view text, double& frequency) {
    if (text.size() > 2 && text.substr(text.size() - 2) == "hz") {
        double hz = 0;
        if (!ParseNumber(text.substr(0, text.size() - 2), hz) || hz < 8 || hz > 20000)
            return false;
        frequency = hz;
        return true;
    }
    static constexpr int kSemitoneOfLetter[] = {9, 11, 0, 2, 4, 5, 7}; // A..G from C
    if (text.empty() || text[0] < 'A' || text[0] > 'G')
        return false;
    int semitone = kSemitoneOfLetter[text[0] - 'A'];
    size_t at = 1;
    if (at < text.size() && (text[at] == '#' || text[at] == 'b')) {
        semitone += text[at] == '#' ? 1 : -1;
        ++at;
    }
    const std::string_view octaveText = text.substr(at);
    int octave = 0;
    const auto result =
        std::from_chars(octaveText.data(), octaveText.data() + octaveText.size(), octave);
    if (octaveText.empty() || result.ec != std::errc() ||
        result.ptr != octaveText.data() + octaveText.size() || octave < 0 || octave > 9)
        return false;
    const int midi = 12 * (octave + 1) + semitone;
    frequency = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
    return frequency <= 20000;
}

bool ParseRecipe(std::string_view text, Recipe& recipe, RecipeError& error) {
    recipe = Recipe();
    RecipeReader reader(recipe);
    int lineNumber = 0;
    try {
        while (!text.empty()) {
            ++lineNumber;
            const size_t newline = text.find('\n');
            reader.ReadLine(text.substr(0, newline));
            text =
                newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        }
        lineNumber = 0;
        reader.Finish();
    } catch (const LineFailure& failure) {
        error = {lineNumber, failure.mMessage};
        return false;
    }
    return true;
}

} // namespace tarnwick::synth
