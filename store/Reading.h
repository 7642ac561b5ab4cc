#pragma once

#include <string>

namespace gyrelle::store {

// How reading one of the game's files went: the one way every reader says what is wrong.
struct Reading {
    enum class Outcome : char {
        Whole,    // read whole, or there was no file at all
        Partial,  // read up to a fault: what came before it is used
        Refused,  // nothing of it is used
    };
    Outcome outcome = Outcome::Whole;
    // The first thing wrong, in words for the log ("it is larger than any history");
    // empty when read whole.
    std::string problem;
    // A file is there whose bytes the game could not use: they are the player's, to be
    // kept aside before the game writes its own in their place.
    bool keepAside = false;

    bool whole() const { return outcome == Outcome::Whole; }
    static Reading refused(std::string why, bool keepAside = true) {
        return {Outcome::Refused, std::move(why), keepAside};
    }
    static Reading partial(std::string why) { return {Outcome::Partial, std::move(why), true}; }
};

}  // namespace gyrelle::store
