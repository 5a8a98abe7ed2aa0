#pragma once

// Whether what the fallback decoder heard in one speech segment may act. The
// English model hears Mandarin badly, so a phrase acts only when the segment
// holds that phrase and little else, the phrase's sounds match well enough,
// and the vocabulary has no phrase the model cannot tell it from. Pure, so the
// rules are tested without a decoder.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace quillon {

struct SphinxRules {
  // Lowest acoustic score per 10 ms frame of the phrase (the decoder's scores
  // are relative to the best-scoring sound of each frame, so 0 is a perfect
  // fit). Commands said alone mostly score -16 to -30; talk and music forced
  // onto a phrase mostly score below.
  int min_phrase_score_per_frame = -30;
  // Frames of the segment the phrase does not cover: the decoder's 0.37 s of
  // padding around speech, plus a short pause or breath. Longer means the
  // phrase was said inside other talk.
  int max_extra_frames = 60;
  // Length of the segment and of the phrase in it against its syllables: a
  // phrase matched in far less time than it takes to say is a noise or part
  // of a word.
  int max_frames_per_syllable = 60;
  int min_phrase_frames_per_syllable = 15;
  int min_phrase_frames = 20;  // added once
  // Loudest against quietest frames of the segment, in dB: a command said
  // alone rises well above the room around it (mostly 22 to 40 dB), while
  // music and effects that set off the speech detector, and pieces of running
  // talk, stay within about 15 dB. Commands over loud game sound lose here too.
  float min_contrast_db = 18;
};

// One segment as the decoder heard it.
struct SphinxHearing {
  bool one_phrase = false;  // the best path is exactly one phrase (pauses and noises around it allowed)
  int frames = 0;           // the whole segment, padding included
  int phrase_frames = 0;
  long phrase_score = 0;  // acoustic score summed over the phrase's frames
  float contrast_db = 0;  // loudness_contrast_db() of the segment
};

struct SphinxPhraseFacts {
  std::size_t syllables = 0;
  // False for phrases that listen but never act: one syllable, or sounding
  // the same as another phrase of the vocabulary to this model.
  bool actable = true;
};

enum class SphinxVerdict { Acts, NoPhrase, NeverActs, PoorMatch, NotAlone, TooLong, TooShort, NoContrast };

SphinxVerdict judge(const SphinxHearing& heard, const SphinxPhraseFacts& phrase, const SphinxRules& rules);

// The 90th against the 10th percentile of the frames' energies, in dB; 0 for
// fewer than two frames.
float loudness_contrast_db(std::vector<float> frame_energies);

// A word for the log and the evaluation.
const char* verdict_name(SphinxVerdict verdict);

// The phrases (keys of `first_pronunciation`, each with its usual
// pronunciation in English phones) that may act: more than one syllable, and
// no other phrase whose usual pronunciation is the same or two phones from it
// (北京 and 背景 differ only in tones, which the model does not hear; 语音 and
// 语言 in one vowel, which it mishears).
std::map<std::string, bool> actable_phrases(const std::map<std::string, std::string>& first_pronunciation,
                                            const std::map<std::string, std::size_t>& syllables);

}  // namespace quillon
