// Writes the two sample stories that ship with the program: make_samples <output-folder>
// writes "Sample - <Title>.vtrsf" there for each story.
//
// The stories are made with the story model itself, the way the program makes and fills a
// story: the story template is copied, filled with the new-story defaults, given its beats and
// the initial beat cards, and then worked on as a writer would work on it (scene cards placed
// by page on the board, cards in the Litter Box, characters and locations linked to cards,
// colour codes, set-ups linked to pay-offs, sticky notes, a few scripted scenes). So the samples
// always match this build's schema and board geometry. Each story is written under a temporary
// name and renamed into place, so an interrupted build never leaves half a story behind.
#include "OutputFolder.h"

#include "model/Beatdb.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/DatabaseError.h"
#include "model/Loglinedb.h"
#include "model/RecordSorting.h"
#include "model/RichText.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StickyNotedb.h"
#include "model/StoryFile.h"
#include "model/StoryGenres.h"
#include "model/Toolkit.h"

#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// --- What a sample story is made of ----------------------------------------------------------

struct CharacterText
{
    const char* name;
    const char* age;
    const char* gender;
    const char* description;
    const char* wants;
    const char* needs;
    const char* notes;
    // Up to six things about the character that need fixing, each with a note.
    std::vector<std::pair<const char*, const char*>> needsFixing;
};

struct LocationText
{
    const char* name;
    const char* description;
    const char* notes;
};

// A character in a scene, with the character's part in it.
struct Appearance
{
    const char* character;
    const char* part;
};

// One paragraph of a scene's script: an element type name and its text.
struct ScriptLine
{
    const char* element;
    const char* text;
};

enum class Place {
    BeatCard,   // the initial beat card of beat `number` (1 to 15)
    OptionCard, // the `number`th optional card (from 0) that the initial beat cards brought
    Board,      // a new card on the board at page `number`
    LitterBox,  // a new card in the Litter Box that lay at page `number` while on the board
};

struct CardText
{
    // Set-ups and pay-offs name their cards by these tags.
    const char* tag;
    Place place;
    std::int64_t number;
    const char* heading;
    const char* location = nullptr;
    // Beat cards keep the toolkit's "beat title + beat description" when this is null.
    const char* description = nullptr;
    const char* emotionalChange = "";
    // 0 none, 1 positive (green), 2 negative (red).
    std::int64_t emotionalChangeType = 0;
    const char* conflict = "";
    const char* notes = "";
    // Colour-code descriptions, put into the card's free colour slots in order.
    std::vector<const char*> colours = {};
    std::vector<Appearance> cast = {};
    // Only new cards carry a script; the others keep the toolkit's empty "Action" paragraph.
    std::vector<ScriptLine> script = {};
};

struct SetupText
{
    const char* setupCard;
    const char* setup;
    const char* payoffCard;
    const char* payoff;
};

struct NoteText
{
    const char* title;
    const char* text;
    std::int64_t colour;
    std::int64_t left;
    std::int64_t top;
};

struct StoryText
{
    const char* title;
    const char* genre;
    const char* logline;
    const char* earlierLogline;
    std::array<const char*, 15> beats;
    // Optional cards of the initial beat cards: set-up, debate, fun and games, bad guys, finale.
    std::array<bool, 5> options;
    std::vector<CharacterText> characters;
    std::vector<LocationText> locations;
    std::vector<CardText> cards;
    std::vector<SetupText> setups;
    std::vector<NoteText> notes;
};

// --- The family adventure --------------------------------------------------------------------

StoryText balloonRace()
{
    StoryText story;
    story.title = "The Last Balloon Race";
    story.genre = "Family";
    story.logline =
        "When her grandfather's failing memory means he must move into a care home on Monday, a stubborn "
        "twelve-year-old stows away on his patched-up hot-air balloon to win the hundredth Coastline Cup "
        "- and prove he still belongs in the sky.";
    story.earlierLogline = "A girl and her grandfather fly an old balloon in a big race.";
    story.beats = {
        "Dawn. Pippa, alone on the barn roof, flies a home-made kite shaped like a balloon while below her "
        "Grandpa Walt talks to Marigold, his tattered old balloon, as if she were a person. Two dreamers, "
        "each on their own.",
        "Mum (June), folding laundry after a night shift: \"Sometimes looking after someone means letting "
        "them go where you can't follow.\" Pippa: \"Then I'll follow.\"",
        "The farm falling apart; Walt leaving the gas on; Pippa covering for him and trusting nobody; the "
        "hundredth Coastline Cup announced - Walt won it in 1979; Odette Vance, his old rival; Mum's lapsed "
        "pilot's licence hidden in the attic.",
        "Walt gets lost driving to the village and is brought home by the police. June signs the papers: he "
        "moves into Brightwater House on Monday.",
        "Can a twelve-year-old and a forgetful old man fly a forty-year-old balloon two hundred miles? Pippa "
        "patches Marigold in secret. On one of his good days Walt says: \"Only if you're my navigator.\"",
        "Race morning on the village green. Pippa climbs into the basket, Walt fires the burner and Marigold "
        "lifts off as June runs across the grass a moment too late.",
        "Kofi, Odette's nephew and chase-van radio nerd, calls Pippa on the walkie-talkie she never had anyone "
        "to call. He is the friend who will teach her to accept help.",
        "Over the coast: skimming Loch Fennet, a landing among furious sheep, a night halt in a "
        "castle garden, Walt flying brilliantly while Pippa navigates - and laughs.",
        "Marigold takes the lead past Dunmore Cliffs and is on the evening news. Walt is a "
        "hero. In a motorway cafe, June sees the news and starts driving north.",
        "Outside: a storm front, and Odette's protest that Marigold has no second licensed pilot. Inside: "
        "Walt calls Pippa by her grandmother's name, and Pippa lies to the marshal, to Kofi, to herself.",
        "Walt, confused, fires the burner at the wrong moment. Marigold comes down hard in a barley field and "
        "her envelope tears. Walt is hurt; June arrives with the ambulance.",
        "In the hospital corridor Pippa admits she has been covering for him all year. Walt, clear as day: he "
        "chose Brightwater himself. He flew this race for her, not for him.",
        "Pippa does the thing she never does: she asks for help. Mum, Kofi, even Odette. Mum still has her "
        "pilot's licence. They can finish the race - together.",
        "The team patches Marigold by torchlight and flies the last leg at dawn, June as pilot. The wind "
        "turns against them and Walt slips away, until Pippa sings Grandma's flying song and he comes back "
        "to read the sea breeze one last time.",
        "Mirror of the opening: on the lawn of Brightwater House, Pippa and Kofi fly the balloon kite while "
        "Walt calls the wind from his window. Nobody is alone on the roof any more.",
    };
    story.options = {true, false, false, false, true};

    story.characters = {
        {"Pippa Marsh", "12", "F",
         "Twelve, small for her age, all elbows and weather maps. Lives with her mum and her grandfather on a "
         "sheep farm that is slowly falling apart. Talks to grown-ups like a foreman; hasn't had a friend over "
         "in two years.",
         "To keep Grandpa Walt at home on the farm, and to win the Coastline Cup to prove he still belongs in "
         "the sky.",
         "To let other people help her carry what she is carrying - and to accept that loving Grandpa means "
         "letting his life change.",
         "Her arc in one line: from \"I can handle it\" to \"I can't do this alone.\" Every lie she tells to "
         "cover for Walt should cost her something later.",
         {{"Won't ask anyone for help", "Turns down Kofi in Act One; asks him, Mum and Odette in the Finale."},
          {"Covers for Grandpa with lies", "The lie to the marshal comes back at All Is Lost."},
          {"No friends her own age", "The walkie-talkie with no one on the other end."},
          {"Angry with her mum", "Thinks June has given up on Walt; learns the move was his own idea."},
          {"Thinks control keeps people safe", "Grabs the burner in the storm and makes things worse."},
          {"Can't let go of the past", "Keeps Grandma's scarf tied to the basket."}}},
        {"Walt Marsh", "74", "M",
         "Pippa's grandfather. Won the Coastline Cup in 1979 with his late wife Margaret; balloon mechanic, "
         "terrible cook. Early dementia: brilliant in the morning, lost by the evening. Still flies Marigold, "
         "the balloon he and Margaret built.",
         "One last race on his own terms before Monday's move to Brightwater House.",
         "To tell Pippa the truth about his illness and give her permission to stop guarding him.",
         "Never play him as a joke. His lapses frighten Pippa and only amuse him. His clear moments should be "
         "his best flying.",
         {{"Hides how bad his memory has become", "Pippa knows, and he knows she knows."}}},
        {"June Marsh", "41", "F",
         "Pippa's mother, a night-shift nurse holding the household together on four hours' sleep. Gave up "
         "ballooning the year Pippa was born.",
         "To keep her father safe and her daughter a child.",
         "To trust Pippa - and to remember that she once loved flying too.",
         "Her lapsed pilot's licence in the attic shoebox is the key set-up for the Finale.", {}},
        {"Kofi Asante", "13", "M",
         "Odette's nephew, spending his summer as ground crew in the chase van. Radio nerd and chatterbox who "
         "knows every cloud by its Latin name.",
         "Someone his own age to talk to on the radio.",
         "To be taken seriously by his aunt.",
         "B Story: everything he says about teamwork is what Pippa needs to hear.", {}},
        {"Odette Vance", "56", "F",
         "Three-time Coastline Cup winner and Walt's rival since 1979. Sponsored, sharp-elbowed and secretly "
         "terrified of coming second to an old man in a patched balloon.",
         "The centenary trophy, and the sponsor's contract that comes with it.",
         "To remember that the race used to be about the sky, not the sponsor.",
         "Not a villain. She turns in the Finale and lends Marigold a spare envelope panel.", {}},
    };

    story.locations = {
        {"Marsh Farm",
         "A wind-battered sheep farm on the coast. The barn holds Marigold, forty years of spare parts and "
         "Walt's trophy shelf.",
         "Home world: messy, warm and failing. Show the unpaid bills on the kitchen table."},
        {"Saltmarsh Village Green",
         "Bunting, a brass band and a hundred balloons laid out on the grass at dawn. The race starts here.", ""},
        {"Marigold's Basket",
         "The wicker basket of the balloon: room for four, a burner, maps, a flask and Grandma's red scarf tied "
         "to the rail.",
         "Half of Act Two is set up here. Vary it: loch, moor, cliffs, cloud, storm, dawn."},
        {"Dunmore Cliffs", "Sheer sea cliffs halfway along the course, where the race is usually won or lost.", ""},
        {"Brightwater House",
         "A bright, kind, slightly too quiet care home with a view of the estuary.",
         "Must not look like a prison. The threat is change, not cruelty."},
        {"Barley Field near Kilbride", "Where Marigold comes down at All Is Lost, and where the team gathers.", ""},
        {"Hollow Point Lighthouse", "The finish line: a red-and-white lighthouse on a spit of sand.", ""},
    };

    story.cards = {
        // The fifteen beat cards.
        {.tag = "beat1", .place = Place::BeatCard, .number = 1, .heading = "EXT. MARSH FARM - BARN ROOF - DAWN",
         .location = "Marsh Farm", .emotionalChange = "Alone -> alone", .conflict = "Pippa vs. the wind",
         .colours = {"Repeating Imagery"},
         .cast = {{"Pippa Marsh", "Flies her balloon kite from the roof"},
                  {"Walt Marsh", "Talks to Marigold in the barn below"}}},
        {.tag = "beat2", .place = Place::BeatCard, .number = 2, .heading = "INT. MARSH FARM - KITCHEN - DAY",
         .location = "Marsh Farm", .emotionalChange = "Stubborn -> defiant", .emotionalChangeType = 2,
         .conflict = "Pippa vs. Mum", .colours = {"Theme"},
         .cast = {{"June Marsh", "States the theme"}, {"Pippa Marsh", "Rejects it"}}},
        {.tag = "beat3", .place = Place::BeatCard, .number = 3, .heading = "INT. MARSH FARM - BARN - DAY",
         .location = "Marsh Farm", .emotionalChange = "Cosy -> uneasy", .emotionalChangeType = 2,
         .conflict = "Walt vs. his memory",
         .cast = {{"Walt Marsh", "Hums Grandma's song while he works"}, {"Pippa Marsh", "Hands him the tools"}}},
        {.tag = "beat4", .place = Place::BeatCard, .number = 4, .heading = "EXT. MARSH FARM - YARD - NIGHT",
         .location = "Marsh Farm", .emotionalChange = "Hope -> dread", .emotionalChangeType = 2,
         .conflict = "The family vs. the illness",
         .cast = {{"Walt Marsh", "Brought home by the police"}, {"June Marsh", "Signs the papers"},
                  {"Pippa Marsh", "Watches from the stairs"}}},
        {.tag = "beat5", .place = Place::BeatCard, .number = 5, .heading = "INT. MARSH FARM - BARN - NIGHT",
         .location = "Marsh Farm", .emotionalChange = "Doubt -> resolve", .emotionalChangeType = 1,
         .conflict = "Pippa vs. common sense",
         .cast = {{"Pippa Marsh", "Proposes the race"}, {"Walt Marsh", "Makes her his navigator"}}},
        {.tag = "beat6", .place = Place::BeatCard, .number = 6, .heading = "EXT. SALTMARSH VILLAGE GREEN - DAWN",
         .location = "Saltmarsh Village Green", .emotionalChange = "Fear -> flight", .emotionalChangeType = 1,
         .conflict = "Pippa vs. Mum",
         .cast = {{"Pippa Marsh", "Stows away"}, {"Walt Marsh", "Lifts off"}, {"June Marsh", "Too late"}}},
        {.tag = "beat7", .place = Place::BeatCard, .number = 7, .heading = "EXT. MARIGOLD'S BASKET - SKY - DAY",
         .location = "Marigold's Basket", .emotionalChange = "Guarded -> amused", .emotionalChangeType = 1,
         .conflict = "Pippa vs. friendship", .colours = {"B Story"},
         .cast = {{"Pippa Marsh", "Answers the walkie-talkie at last"}, {"Kofi Asante", "Won't stop talking"}}},
        {.tag = "beat8", .place = Place::BeatCard, .number = 8,
         .heading = "EXT. MARIGOLD'S BASKET - OVER LOCH FENNET - DAY", .location = "Marigold's Basket",
         .emotionalChange = "Tense -> joyful", .emotionalChangeType = 1, .conflict = "Marigold vs. the weather",
         .cast = {{"Walt Marsh", "Flies like it's 1979"}, {"Pippa Marsh", "Navigates"}}},
        {.tag = "beat9", .place = Place::BeatCard, .number = 9, .heading = "EXT. DUNMORE CLIFFS - DAY",
         .location = "Dunmore Cliffs", .emotionalChange = "Underdogs -> leaders", .emotionalChangeType = 1,
         .conflict = "Marigold vs. Odette's balloon",
         .cast = {{"Walt Marsh", "Takes the lead"}, {"Pippa Marsh", "Finds the thermal"},
                  {"Odette Vance", "Left behind"}}},
        {.tag = "beat10", .place = Place::BeatCard, .number = 10, .heading = "EXT. RACE CHECKPOINT - DUSK",
         .emotionalChange = "Proud -> cornered", .emotionalChangeType = 2, .conflict = "Pippa vs. the rules",
         .cast = {{"Odette Vance", "Files the protest"}, {"Pippa Marsh", "Lies to the marshal"}}},
        {.tag = "beat11", .place = Place::BeatCard, .number = 11, .heading = "EXT. BARLEY FIELD NEAR KILBRIDE - DAY",
         .location = "Barley Field near Kilbride", .emotionalChange = "Flying -> fallen", .emotionalChangeType = 2,
         .conflict = "Walt vs. his illness",
         .cast = {{"Walt Marsh", "Hurt in the crash"}, {"Pippa Marsh", "Drags him clear"},
                  {"June Marsh", "Arrives with the ambulance"}}},
        {.tag = "beat12", .place = Place::BeatCard, .number = 12,
         .heading = "INT. KILBRIDE COTTAGE HOSPITAL - CORRIDOR - NIGHT", .emotionalChange = "Guilt -> release",
         .emotionalChangeType = 1, .conflict = "Pippa vs. the truth", .colours = {"Character A Arc"},
         .cast = {{"Pippa Marsh", "Confesses"}, {"Walt Marsh", "Tells her the truth"}}},
        {.tag = "beat13", .place = Place::BeatCard, .number = 13, .heading = "EXT. BARLEY FIELD NEAR KILBRIDE - NIGHT",
         .location = "Barley Field near Kilbride", .emotionalChange = "Alone -> together", .emotionalChangeType = 1,
         .conflict = "Pippa vs. her pride", .colours = {"Character A Arc"},
         .cast = {{"Pippa Marsh", "Asks for help"}, {"June Marsh", "Says yes"}, {"Kofi Asante", "Says yes"}}},
        {.tag = "beat14", .place = Place::BeatCard, .number = 14, .heading = "EXT. MARIGOLD'S BASKET - SKY - DAWN",
         .location = "Marigold's Basket", .emotionalChange = "Lost -> found", .emotionalChangeType = 1,
         .conflict = "The team vs. the wind",
         .cast = {{"June Marsh", "Pilot"}, {"Walt Marsh", "Navigator"}, {"Pippa Marsh", "Radio"}}},
        {.tag = "beat15", .place = Place::BeatCard, .number = 15, .heading = "EXT. BRIGHTWATER HOUSE - LAWN - DAY",
         .location = "Brightwater House", .emotionalChange = "Together, apart", .emotionalChangeType = 1,
         .conflict = "None left", .colours = {"Repeating Imagery"},
         .cast = {{"Pippa Marsh", "Flies the kite"}, {"Kofi Asante", "Holds the line"},
                  {"Walt Marsh", "Calls the wind from his window"}}},

        // The optional cards: three set-up cards, five finale cards.
        {.tag = "home", .place = Place::OptionCard, .number = 0, .heading = "INT. MARSH FARM - KITCHEN - NIGHT",
         .location = "Marsh Farm",
         .description = "Set-Up: HOME\nPippa finds the gas ring still burning and a saucepan black on the stove. "
                        "She scrubs it clean before Mum gets home from her shift and says nothing.",
         .emotionalChange = "Calm -> secret", .emotionalChangeType = 2, .conflict = "Pippa vs. the truth",
         .colours = {"Character A Arc"}, .cast = {{"Pippa Marsh", "Hides the evidence"}}},
        {.tag = "school", .place = Place::OptionCard, .number = 1, .heading = "INT. SALTMARSH SCHOOL - CLASSROOM - DAY",
         .description = "Set-Up: WORK (school)\nPippa presents a weather map of the whole coast to a bored class. "
                        "Who helped you? \"Nobody.\" Nobody sits with her at lunch either.",
         .emotionalChange = "Proud -> lonely", .emotionalChangeType = 2, .conflict = "Pippa vs. everyone",
         .colours = {"Character A Arc"}, .cast = {{"Pippa Marsh", "Does it all herself"}}},
        {.tag = "attic", .place = Place::OptionCard, .number = 2, .heading = "INT. MARSH FARM - ATTIC - DAY",
         .location = "Marsh Farm",
         .description = "Set-Up: PLAY\nHunting for Grandpa's old race maps, Pippa finds a shoebox: Mum's flight "
                        "logbook and a lapsed balloon pilot's licence. Mum takes it away. \"That was another life.\"",
         .emotionalChange = "Curious -> shut out", .emotionalChangeType = 2, .conflict = "Pippa vs. Mum",
         .cast = {{"Pippa Marsh", "Finds the shoebox"}, {"June Marsh", "Takes it away"}}},
        {.tag = "gather", .place = Place::OptionCard, .number = 3, .heading = "EXT. BARLEY FIELD NEAR KILBRIDE - NIGHT",
         .location = "Barley Field near Kilbride",
         .description = "Finale: Gathering the Team\nKofi brings the chase van, June brings the shoebox licence and "
                        "Odette, after a long look at Marigold, brings a spare envelope panel.",
         .emotionalChange = "Rivals -> crew", .emotionalChangeType = 1, .conflict = "Odette vs. her sponsor",
         .cast = {{"Kofi Asante", "Brings the van"}, {"June Marsh", "Brings her licence"},
                  {"Odette Vance", "Brings the patch"}}},
        {.tag = "plan", .place = Place::OptionCard, .number = 4, .heading = "EXT. BARLEY FIELD NEAR KILBRIDE - PRE-DAWN",
         .location = "Barley Field near Kilbride",
         .description = "Finale: Executing the Plan\nBy torchlight the team sews the panel into Marigold. June shows "
                        "her licence to the marshal: she is the pilot now, Walt the navigator, Pippa on the radio to "
                        "Kofi. Marigold rises.",
         .emotionalChange = "Grounded -> airborne", .emotionalChangeType = 1, .conflict = "The team vs. the clock",
         .cast = {{"June Marsh", "Takes command"}, {"Walt Marsh", "Navigator"}, {"Pippa Marsh", "Radio"}}},
        {.tag = "tower", .place = Place::OptionCard, .number = 5, .heading = "EXT. MARIGOLD'S BASKET - OVER THE BAY - DAY",
         .location = "Marigold's Basket",
         .description = "Finale: The surprise\nThe wind swings off the sea and drives them away from "
                        "Hollow Point. Walt forgets which valve is which; June, out of practice, freezes at the burner.",
         .emotionalChange = "Confident -> lost", .emotionalChangeType = 2, .conflict = "The team vs. the wind",
         .colours = {"Major Turns"}, .cast = {{"Walt Marsh", "Slips away"}, {"June Marsh", "Freezes"}}},
        {.tag = "deep", .place = Place::OptionCard, .number = 6, .heading = "EXT. MARIGOLD'S BASKET - OVER THE BAY - DAY",
         .location = "Marigold's Basket",
         .description = "Finale: A new way\nPippa stops trying to fix it. She takes Grandpa's hand and sings "
                        "\"Marigold, Rise\", Grandma's flying song. Walt comes back to himself, line by line.",
         .emotionalChange = "Control -> trust", .emotionalChangeType = 1, .conflict = "Pippa vs. her fear",
         .colours = {"Character A Arc", "Theme"}, .cast = {{"Pippa Marsh", "Lets go"}, {"Walt Marsh", "Comes back"}}},
        {.tag = "landing", .place = Place::OptionCard, .number = 7, .heading = "EXT. HOLLOW POINT LIGHTHOUSE - DAY",
         .location = "Hollow Point Lighthouse",
         .description = "Finale: The new plan\nWalt feels the noon sea breeze turn, just as he taught "
                        "Pippa, and calls the drop. June flies it; Marigold kisses the sand by the lighthouse. Third "
                        "place, and the loudest cheer of the day.",
         .emotionalChange = "Lost -> home", .emotionalChangeType = 1, .conflict = "Marigold vs. the sea",
         .cast = {{"Walt Marsh", "Reads the wind"}, {"June Marsh", "Lands her"}, {"Pippa Marsh", "Cheers"}}},

        // Scene cards of the writer's own, placed by page.
        {.tag = "tether", .place = Place::Board, .number = 3, .heading = "EXT. MARSH FARM - SHEEP FIELD - DAY",
         .location = "Marsh Farm",
         .description = "Walt tests Marigold on a tether in the sheep field and takes Pippa up. Up there he is "
                        "completely himself: he teaches her to read the wind by the way the sheep stand.",
         .emotionalChange = "Worried -> happy", .emotionalChangeType = 1, .conflict = "Pippa vs. the forecast",
         .colours = {"Repeating Imagery"},
         .cast = {{"Walt Marsh", "The teacher"}, {"Pippa Marsh", "The pupil"}},
         .script = {{"Action", "Marigold's patched envelope sways above a wicker basket tethered to the tractor. WALT "
                               "(74) works the burner the way other men tie their shoes. PIPPA (12) grips the rail."},
                    {"Character", "WALT"},
                    {"Dialogue", "Forget the forecast. Look at the sheep."},
                    {"Character", "PIPPA"},
                    {"Dialogue", "They're eating."},
                    {"Character", "WALT"},
                    {"Dialogue", "They're eating with their backs to the wind. Always. Come noon the sea breeze turns, "
                                 "and every one of them turns with it."},
                    {"Action", "Pippa looks down. A hundred woolly backsides point inland. She writes in her "
                               "notebook: SEA BREEZE TURNS AT NOON."},
                    {"Character", "PIPPA"},
                    {"Dialogue", "Is that in a book?"},
                    {"Character", "WALT"},
                    {"Dialogue", "It's in me. Now it's in you."}}},
        {.tag = "announce", .place = Place::Board, .number = 8, .heading = "EXT. SALTMARSH VILLAGE GREEN - DAY",
         .location = "Saltmarsh Village Green",
         .description = "The hundredth Coastline Cup is announced at the summer fete. Odette Vance jokes that Walt "
                        "should enter \"for old times' sake\". Everyone laughs. Pippa doesn't.",
         .emotionalChange = "Fun -> humiliated", .emotionalChangeType = 2, .conflict = "Walt vs. Odette",
         .cast = {{"Odette Vance", "Makes the joke"}, {"Walt Marsh", "Laughs along"},
                  {"Pippa Marsh", "Takes it personally"}}},
        {.tag = "visit", .place = Place::Board, .number = 11, .heading = "INT. BRIGHTWATER HOUSE - LOUNGE - DAY",
         .location = "Brightwater House",
         .description = "June takes Walt and Pippa to look round Brightwater House. It is kind and bright and quiet. "
                        "Walt charms everyone - then in the car park can't remember which car is theirs.",
         .emotionalChange = "Hopeful -> scared", .emotionalChangeType = 2, .conflict = "Walt vs. his memory",
         .colours = {"Character B Arc"},
         .cast = {{"June Marsh", "Hopes it will work"}, {"Walt Marsh", "Charms, then forgets"},
                  {"Pippa Marsh", "Sees it happen"}}},
        {.tag = "stitch", .place = Place::Board, .number = 15, .heading = "INT. MARSH FARM - BARN - NIGHT",
         .location = "Marsh Farm",
         .description = "Pippa patches Marigold's envelope by torchlight, badly. Walt finds her, watches a while, "
                        "then shows her the proper stitch without a word.",
         .emotionalChange = "Secret -> shared", .emotionalChangeType = 1, .conflict = "Pippa vs. the balloon",
         .cast = {{"Pippa Marsh", "Sews"}, {"Walt Marsh", "Teaches"}}},
        {.tag = "rucksack", .place = Place::Board, .number = 20, .heading = "INT. MARSH FARM - PIPPA'S ROOM - NIGHT",
         .location = "Marsh Farm",
         .description = "Pippa packs a rucksack: maps, biscuits, and the walkie-talkie she has never had anyone to "
                        "call. She writes Mum a note, tears it up, writes a shorter one.",
         .emotionalChange = "Scared -> decided", .emotionalChangeType = 1, .conflict = "Pippa vs. Mum",
         .cast = {{"Pippa Marsh", "Runs away to the sky"}}},
        {.tag = "loch", .place = Place::Board, .number = 28, .heading = "EXT. MARIGOLD'S BASKET - OVER LOCH FENNET - DAY",
         .location = "Marigold's Basket",
         .description = "Marigold skims so low over the loch that Walt trails his hand in the water. He is brilliant, "
                        "funny and fearless, and Pippa navigates by her own weather map.",
         .emotionalChange = "Nervous -> thrilled", .emotionalChangeType = 1, .conflict = "Walt vs. caution",
         .cast = {{"Walt Marsh", "Shows off"}, {"Pippa Marsh", "Navigates"}}},
        {.tag = "sheep", .place = Place::Board, .number = 34, .heading = "EXT. SHEEP FIELD NEAR ARDLOCH - DAY",
         .description = "First landing: Marigold drops into a field of furious sheep. Kofi, sent to help Odette's crew "
                        "next door, helps Pippa pack the envelope instead, talking non-stop.",
         .emotionalChange = "Embarrassed -> laughing", .emotionalChangeType = 1, .conflict = "Pippa vs. Kofi",
         .colours = {"B Story"},
         .cast = {{"Pippa Marsh", "Won't accept help"}, {"Kofi Asante", "Helps anyway"},
                  {"Walt Marsh", "Charms the farmer"}}},
        {.tag = "castle", .place = Place::Board, .number = 39, .heading = "EXT. CASTLE GARDEN - NIGHT",
         .description = "The night halt: the balloons are tethered in the garden of a ruined castle. Pippa and Kofi "
                        "swap weather notes over the walkie-talkies from twenty yards apart while Walt tells the "
                        "crews the story of 1979.",
         .emotionalChange = "Lonely -> befriended", .emotionalChangeType = 1, .conflict = "Odette vs. Walt's legend",
         .colours = {"B Story"},
         .cast = {{"Pippa Marsh", "Makes a friend"}, {"Kofi Asante", "Makes a friend"},
                  {"Walt Marsh", "Tells the story"}, {"Odette Vance", "Has heard it before"}}},
        {.tag = "margaret", .place = Place::Board, .number = 46, .heading = "EXT. MARIGOLD'S BASKET - SKY - DAY",
         .location = "Marigold's Basket",
         .description = "Walt calls Pippa by her grandmother's name. Twice. She corrects him lightly, then not at all. "
                        "When Kofi radios to ask if everything's all right, she says yes.",
         .emotionalChange = "Happy -> hiding", .emotionalChangeType = 2, .conflict = "Pippa vs. the truth",
         .colours = {"Character A Arc", "Character B Arc"},
         .cast = {{"Walt Marsh", "Slips"}, {"Pippa Marsh", "Covers"}, {"Kofi Asante", "On the radio"}},
         .script = {{"Action", "Bright cloud in every direction. Walt is humming. Pippa checks the altimeter, then "
                               "her map."},
                    {"Character", "WALT"},
                    {"Dialogue", "Margaret, pass me the flask."},
                    {"Action", "Pippa goes still. Margaret was her grandmother's name."},
                    {"Character", "PIPPA"},
                    {"Dialogue", "It's me, Grandpa. Pippa."},
                    {"Character", "WALT"},
                    {"Dialogue", "Course it is. Course it is."},
                    {"Action", "The walkie-talkie crackles on her belt."},
                    {"Character", "KOFI (V.O.)"},
                    {"Dialogue", "Marigold, this is chase van. Everything all right up there?"},
                    {"Action", "Pippa looks at her grandfather, who is smiling at the clouds."},
                    {"Character", "PIPPA"},
                    {"Dialogue", "Everything's fine."}}},
        {.tag = "cafe", .place = Place::Board, .number = 58, .heading = "INT. MOTORWAY CAFE - DAY",
         .description = "June sees Marigold on the television news above the counter. Furious and afraid, she leaves "
                        "her tea and starts driving north.",
         .emotionalChange = "Worried -> furious", .emotionalChangeType = 2, .conflict = "June vs. Pippa",
         .colours = {"Character B Arc"}, .cast = {{"June Marsh", "Sets off after them"}}},
        {.tag = "protest", .place = Place::Board, .number = 62, .heading = "EXT. DUNMORE CLIFFS - CAMPSITE - NIGHT",
         .location = "Dunmore Cliffs",
         .description = "Odette's protest is upheld: Marigold needs a second licensed pilot aboard by morning. Pippa "
                        "tells the marshal her mum is meeting them. It's a lie.",
         .emotionalChange = "Ahead -> trapped", .emotionalChangeType = 2, .conflict = "Pippa vs. the marshal",
         .colours = {"Character A Arc"},
         .cast = {{"Odette Vance", "Plays by the rules"}, {"Pippa Marsh", "Lies"}, {"Walt Marsh", "Doesn't notice"}}},
        {.tag = "storm", .place = Place::Board, .number = 69, .heading = "EXT. MARIGOLD'S BASKET - OVER THE MOORS - DAY",
         .location = "Marigold's Basket",
         .description = "A storm front builds behind them. Walt wants to climb over it; frightened, Pippa grabs the "
                        "valve to take them down. They argue for the first time.",
         .emotionalChange = "Team -> torn", .emotionalChangeType = 2, .conflict = "Pippa vs. Walt",
         .cast = {{"Walt Marsh", "Wants to climb"}, {"Pippa Marsh", "Takes control"}}},
        {.tag = "waiting", .place = Place::Board, .number = 80,
         .heading = "INT. KILBRIDE COTTAGE HOSPITAL - WAITING ROOM - NIGHT",
         .description = "June doesn't shout; that's worse. She tells Pippa the move to Brightwater was Walt's own "
                        "idea, made on one of his good days.",
         .emotionalChange = "Angry -> understanding", .emotionalChangeType = 1, .conflict = "Pippa vs. Mum",
         .colours = {"Character B Arc"}, .cast = {{"June Marsh", "Tells the truth"}, {"Pippa Marsh", "Hears it"}}},
        {.tag = "rosette", .place = Place::Board, .number = 107, .heading = "EXT. HOLLOW POINT LIGHTHOUSE - BEACH - DAY",
         .location = "Hollow Point Lighthouse",
         .description = "Odette, who won, walks down the beach and pins the centenary rosette on Walt. \"You'd have had "
                        "me in '79 as well.\"",
         .emotionalChange = "Rivals -> friends", .emotionalChangeType = 1, .conflict = "Odette vs. her pride",
         .cast = {{"Odette Vance", "Gives up the rosette"}, {"Walt Marsh", "Accepts it"},
                  {"Pippa Marsh", "Watches them"}}},
        {.tag = "scarf", .place = Place::Board, .number = 108, .heading = "INT. BRIGHTWATER HOUSE - WALT'S ROOM - DAY",
         .location = "Brightwater House",
         .description = "Moving day after all. Pippa ties Grandma's red scarf outside Walt's window so he can see "
                        "which way the wind blows. He promises to keep an eye on it for her.",
         .emotionalChange = "Loss -> love", .emotionalChangeType = 1, .conflict = "Pippa vs. letting go",
         .colours = {"Repeating Imagery", "Theme"},
         .cast = {{"Pippa Marsh", "Lets him go"}, {"Walt Marsh", "Settles in"}, {"June Marsh", "Unpacks"}}},

        // Cut scenes, kept in the Litter Box.
        {.tag = "talent", .place = Place::LitterBox, .number = 9, .heading = "INT. SALTMARSH SCHOOL - HALL - DAY",
         .description = "Pippa's weather forecast at the school talent show goes wrong.\nCUT: repeats the classroom "
                        "set-up. Keep its best line for that scene.",
         .cast = {{"Pippa Marsh", "Performs"}}},
        {.tag = "flashback", .place = Place::LitterBox, .number = 37, .heading = "EXT. LOCH FENNET - 1979 - DAY",
         .description = "Flashback: young Walt and Margaret win the Coastline Cup.\nCUT: a flashback stops the race "
                        "dead. Walt tells the story at the castle instead.",
         .cast = {{"Walt Marsh", "Young and in love"}}},
        {.tag = "sponsor", .place = Place::LitterBox, .number = 60, .heading = "INT. ODETTE'S CAMPER VAN - NIGHT",
         .description = "Odette on the phone with her sponsor, who threatens to drop her.\nMAYBE: explains her protest, "
                        "but do we need to be in her head?",
         .cast = {{"Odette Vance", "Under pressure"}}},
    };

    story.setups = {
        {"attic", "Mum's lapsed balloon pilot's licence in a shoebox in the attic.", "plan",
         "June shows her licence to the marshal and flies the last leg as pilot."},
        {"tether", "Walt teaches Pippa that the sea breeze turns at noon - watch the sheep.", "landing",
         "Walt feels the noon sea breeze turn and calls the landing at Hollow Point."},
        {"rucksack", "The walkie-talkie Pippa has never had anyone to call.", "castle",
         "Pippa and Kofi talk over the walkie-talkies half the night."},
        {"beat3", "Walt hums \"Marigold, Rise\", Grandma's flying song, whenever he works on the balloon.", "deep",
         "Pippa sings \"Marigold, Rise\" and brings Walt back to himself."},
        {"protest", "Pippa lies to the marshal that her mum is meeting them.", "gather",
         "The lie comes true: Mum really does join them - as the pilot."},
        {"beat1", "Grandma's red scarf tied to Marigold's basket.", "scarf",
         "The scarf outside Walt's window at Brightwater House: his own wind sock."},
    };

    story.notes = {
        {"Theme",
         "Holding on too tight is not the same as taking care. Every act tests it: Pippa holds on (Act One), holds "
         "on harder (Act Two), lets go (Act Three).",
         1, 640, 40},
        {"Family film",
         "For the children: a race, a balloon and a friend on the radio.\nFor the parents: a grandfather letting go, a "
         "mother who once flew.\nThe goal: the Centenary Cup - which they don't win, and no longer need.",
         3, 900, 40},
        {"Research",
         "Balloon licences and the rules for a second pilot in long races. Burners, envelope panels, tethered "
         "flight. Dementia: good mornings, bad evenings.",
         5, 1160, 40},
        {"Open questions",
         "Does Odette need a scene on her own? (See the Litter Box.)\nIs the storm on the moors too big for a family "
         "film?\nOther titles: Marigold, Sea Breeze at Noon.",
         7, 640, 240},
    };
    return story;
}

// --- The thriller ----------------------------------------------------------------------------

StoryText kesslerPass()
{
    StoryText story;
    story.title = "Kessler Pass";
    story.genre = "Thriller";
    story.logline =
        "On the last night before a mountain pass closes for the winter, a burned-out snowplough driver pulls a "
        "wounded stranger from a wreck and must keep him alive until dawn - while the men who ran him off the "
        "road, and the deputy she trusts most, hunt them both through the storm.";
    story.earlierLogline = "A snowplough driver rescues a crash victim and is chased by killers.";
    story.beats = {
        "Night, snow, one yellow snowplough crawling up a mountain road. Inside, Ruth drives alone, radio off, a "
        "photograph face down on the dashboard. Competent, isolated, closed.",
        "Hal, the depot boss, signing her retirement papers: \"You can't clear a road and then say you're not "
        "responsible for who drives on it.\" Ruth: \"Watch me.\"",
        "The last shift before the pass closes for the winter. Ruth's medic kit locked in the toolbox; her son "
        "Mikey, the night dispatcher, who only talks to her about the weather; coffee and jokes with Deputy Cal at "
        "the Summit Stop; the flare gun; the new road cameras Ruth ignores.",
        "One o'clock, Switchback 7: headlights cartwheel off the road below her. Ruth finds a car on its roof and a "
        "young man, Danny, bleeding - from a gunshot, not the crash.",
        "Call it in and wait two hours for an ambulance that can't get up? Mikey says a slide has closed the road "
        "below. Danny begs her not to call the police. For the first time in years, Ruth unlocks her medic kit.",
        "A black SUV stops at the wreck; two men with rifles search the car. Ruth kills her lights and drives the "
        "plough up into the storm with Danny in the cab. She has chosen.",
        "Mikey on the radio, the only voice in the dark. Guiding her with his road cameras, he and his mother have "
        "their first real conversation in years - about the road, at first.",
        "Plough against SUV on the switchbacks: Ruth walls off the road with her blade, hides in a snow cut, patches "
        "Danny's wound in the cab and learns what is on his flash drive.",
        "They reach the avalanche shelter and Ruth radios Cal, who promises to bring the county "
        "snowcat. Safe - until Danny reads out the names in the ledger and one of them is a county deputy.",
        "Cal arrives with Voss. Outside, the hunters cut the shelter's antenna and Mikey goes silent. Inside, "
        "Danny's fever climbs and Ruth's old failure comes back into her hands.",
        "Voss takes Danny and the drive. Cal, unable to look at her, bars the shelter door and leaves Ruth to "
        "freeze. The plough is dead in a drift, the radio is dead, and Danny is as good as dead.",
        "In the dark Ruth turns the photograph over: the young soldier she lost. Running from that night has not "
        "kept anyone safe, only kept her alone. She says his name out loud for the first time.",
        "The emergency radio under the bunk: one crackle of Mikey's voice. His cameras show the SUV heading for the "
        "dam service tunnel - and he is driving the second plough up the pass to meet her.",
        "Ruth breaks out through the stove flue. With Mikey's plough they seal both ends of the tunnel. Voss uses "
        "Danny as a shield; Cal has to choose. Ruth's flare brings the cornice down and the troopers up.",
        "Dawn. The PASS CLOSED gate swings shut behind them. Ruth drives down the mountain with Mikey beside her, "
        "radio on, the photograph standing upright on the dash.",
    };
    story.options = {false, true, false, true, false};

    story.characters = {
        {"Ruth Kaminski", "46", "F",
         "Snowplough driver on the Kessler Pass for twenty years, three days from retirement. A former army combat "
         "medic who walked away after a patient died in her hands. Divorced; talks to her grown son only over the "
         "depot radio, and only about the road.",
         "To finish her last shift, hand in her keys and never be responsible for anyone again.",
         "To accept that she can't stop caring for people by running from them: the skills she buried are the ones "
         "that save lives tonight.",
         "Competence under pressure is her strength, closeness her weakness. Let her fix everything except a "
         "conversation.",
         {{"Keeps her medic kit locked away", "Opens it in the Debate."},
          {"Won't talk to her son", "Only the weather and the road, until the B Story."},
          {"Trusts the wrong people out of habit", "Deputy Cal: old friend, new payroll."},
          {"Hides her past", "The photograph face down on the dash."},
          {"Thinks she's too old to change", "The retirement papers Hal tears up at the end."},
          {"Drives alone, radio off", "Opening Image against Final Image."}}},
        {"Danny Okafor", "29", "M",
         "Junior accountant at Northline Freight who found the second set of books. Funny when he's scared, which is "
         "always. Carrying a flash drive of ledgers to the state attorney in the capital.",
         "To get the drive over the pass and into the right hands by morning.",
         "To stop apologising for doing the right thing.",
         "He is the problem Ruth inherits. Keep him likeable and hopeless with his hands: he can't even open the "
         "flare gun.",
         {}},
        {"Mikey Kaminski", "22", "M",
         "Ruth's son, night dispatcher at the highway depot. Proud of the new road-camera network nobody else uses. "
         "Hurt that his mother chose the road over him.",
         "For his mother to talk to him about anything but snow.",
         "To be trusted in a crisis - and to trust her back.",
         "B Story. Voice only until the Finale, when he drives the second plough up the pass.", {}},
        {"Cal Brannigan", "52", "M",
         "County deputy and Ruth's friend of twenty years; buys her coffee at the Summit Stop every night. In debt to "
         "Northline Freight for more than money.",
         "To keep his name off Danny's ledger.",
         "To choose, once, between his friends and his debts.",
         "Plant the Northline keyring early and casually. No moustache-twirling: he hates every minute of it.", {}},
        {"Voss", "45", "M",
         "The man Northline sends when a problem has to disappear. Polite, patient and better dressed for the "
         "mountain than anyone else.",
         "The drive, and no witnesses.",
         "Nothing. He doesn't change: he is the storm with a face.",
         "Never raises his voice. Gets quieter as things get worse.", {}},
        {"Hal Devereaux", "67", "M",
         "The depot boss, Ruth's boss and her conscience. Thirty winters on the pass.",
         "To see Ruth retire happy.",
         "To tell her what he really thinks: that she's wasted on the road.",
         "States the theme. Tears up the retirement papers at the end.", {}},
    };

    story.locations = {
        {"Kessler Pass Road",
         "Twenty-two miles of switchbacks between the valley and the summit: a sheer drop on one side, a wall of "
         "rock on the other.",
         "Map the switchbacks so the chases stay readable. Switchback 7 is the wreck."},
        {"Plough Cab",
         "The cab of Ruth's yellow snowplough: heater, CB radio, a thermos, and a framed photograph face down on "
         "the dash.",
         "Half the film is set here. Vary it: night, headlights off, firelight from the wreck, dawn."},
        {"Highway Depot",
         "A tin-roofed garage at the foot of the pass with a dispatch room full of screens: Mikey's road cameras.",
         ""},
        {"Summit Stop", "A gas station and diner at the top of the pass, closing for the winter tonight.", ""},
        {"Avalanche Shelter",
         "A stone hut for stranded drivers below the summit: wood stove, bunk beds, an emergency radio.", ""},
        {"Dam Service Tunnel",
         "A mile-long maintenance tunnel through the mountain to the reservoir dam: the only way down once the road "
         "is closed.",
         ""},
    };

    story.cards = {
        // The fifteen beat cards.
        {.tag = "beat1", .place = Place::BeatCard, .number = 1, .heading = "INT. PLOUGH CAB - NIGHT",
         .location = "Plough Cab", .emotionalChange = "Alone -> alone", .conflict = "Ruth vs. the snow",
         .colours = {"Repeating Imagery"}, .cast = {{"Ruth Kaminski", "Drives alone, radio off"}}},
        {.tag = "beat2", .place = Place::BeatCard, .number = 2, .heading = "INT. HIGHWAY DEPOT - OFFICE - NIGHT",
         .location = "Highway Depot", .emotionalChange = "Tired -> defiant", .conflict = "Ruth vs. Hal",
         .colours = {"Theme"}, .cast = {{"Hal Devereaux", "States the theme"}, {"Ruth Kaminski", "Rejects it"}}},
        {.tag = "beat3", .place = Place::BeatCard, .number = 3, .heading = "INT. SUMMIT STOP - DINER - NIGHT",
         .location = "Summit Stop", .emotionalChange = "Routine -> routine", .conflict = "Ruth vs. small talk",
         .cast = {{"Ruth Kaminski", "Last coffee of the season"}, {"Cal Brannigan", "Buys it"}}},
        {.tag = "beat4", .place = Place::BeatCard, .number = 4, .heading = "EXT. KESSLER PASS ROAD - SWITCHBACK 7 - NIGHT",
         .location = "Kessler Pass Road", .emotionalChange = "Numb -> alarmed", .emotionalChangeType = 2,
         .conflict = "Ruth vs. the wreck",
         .cast = {{"Ruth Kaminski", "Finds the wreck"}, {"Danny Okafor", "Shot, not crashed"}}},
        {.tag = "beat5", .place = Place::BeatCard, .number = 5, .heading = "INT. PLOUGH CAB - NIGHT",
         .location = "Plough Cab", .emotionalChange = "Refusal -> reluctance", .emotionalChangeType = 1,
         .conflict = "Ruth vs. her past",
         .cast = {{"Ruth Kaminski", "Weighs it up"}, {"Danny Okafor", "Begs"}, {"Mikey Kaminski", "On the radio"}}},
        {.tag = "beat6", .place = Place::BeatCard, .number = 6, .heading = "EXT. KESSLER PASS ROAD - SWITCHBACK 7 - NIGHT",
         .location = "Kessler Pass Road", .emotionalChange = "Bystander -> protector", .emotionalChangeType = 1,
         .conflict = "Ruth vs. Voss", .colours = {"Character A Arc"},
         .cast = {{"Ruth Kaminski", "Chooses"}, {"Danny Okafor", "Hides in the cab"}, {"Voss", "Searches the wreck"}}},
        {.tag = "beat7", .place = Place::BeatCard, .number = 7, .heading = "INT. HIGHWAY DEPOT - DISPATCH - NIGHT",
         .location = "Highway Depot", .emotionalChange = "Distant -> talking", .emotionalChangeType = 1,
         .conflict = "Mother vs. son", .colours = {"B Story"},
         .cast = {{"Mikey Kaminski", "Guides her"}, {"Ruth Kaminski", "Listens, for once"}}},
        {.tag = "beat8", .place = Place::BeatCard, .number = 8, .heading = "EXT. KESSLER PASS ROAD - SWITCHBACKS - NIGHT",
         .location = "Kessler Pass Road", .emotionalChange = "Hunted -> hunter", .emotionalChangeType = 1,
         .conflict = "Plough vs. SUV",
         .cast = {{"Ruth Kaminski", "Drives"}, {"Danny Okafor", "Holds on"}, {"Voss", "Gives chase"}}},
        {.tag = "beat9", .place = Place::BeatCard, .number = 9, .heading = "INT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter", .emotionalChange = "Safe -> exposed", .emotionalChangeType = 2,
         .conflict = "Ruth vs. the truth",
         .cast = {{"Ruth Kaminski", "Calls for help"}, {"Danny Okafor", "Reads the names"},
                  {"Cal Brannigan", "Answers the call"}}},
        {.tag = "beat10", .place = Place::BeatCard, .number = 10, .heading = "EXT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter", .emotionalChange = "Hope -> dread", .emotionalChangeType = 2,
         .conflict = "Ruth vs. everyone", .cast = {{"Voss", "Closes in"}, {"Cal Brannigan", "Leads him there"}}},
        {.tag = "beat11", .place = Place::BeatCard, .number = 11, .heading = "INT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter", .emotionalChange = "Fighting -> beaten", .emotionalChangeType = 2,
         .conflict = "Ruth vs. Cal", .colours = {"Major Turns", "Character B Arc"},
         .cast = {{"Voss", "Takes Danny"}, {"Cal Brannigan", "Bars the door"}, {"Ruth Kaminski", "Left to freeze"},
                  {"Danny Okafor", "Taken"}}},
        {.tag = "beat12", .place = Place::BeatCard, .number = 12, .heading = "INT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter", .emotionalChange = "Buried -> named", .emotionalChangeType = 1,
         .conflict = "Ruth vs. herself", .colours = {"Character A Arc", "Repeating Imagery"},
         .cast = {{"Ruth Kaminski", "Turns the photograph over"}}},
        {.tag = "beat13", .place = Place::BeatCard, .number = 13, .heading = "INT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter", .emotionalChange = "Alone -> together", .emotionalChangeType = 1,
         .conflict = "Ruth vs. the cold", .colours = {"B Story"},
         .cast = {{"Ruth Kaminski", "Hears him"}, {"Mikey Kaminski", "Comes for her"}}},
        {.tag = "beat14", .place = Place::BeatCard, .number = 14, .heading = "INT. DAM SERVICE TUNNEL - NIGHT",
         .location = "Dam Service Tunnel", .emotionalChange = "Trapped -> free", .emotionalChangeType = 1,
         .conflict = "Ruth and Mikey vs. Voss",
         .cast = {{"Ruth Kaminski", "Leads"}, {"Mikey Kaminski", "Drives the second plough"}, {"Voss", "Cornered"},
                  {"Cal Brannigan", "Chooses"}, {"Danny Okafor", "Shield"}}},
        {.tag = "beat15", .place = Place::BeatCard, .number = 15, .heading = "EXT. KESSLER PASS ROAD - DAWN",
         .location = "Kessler Pass Road", .emotionalChange = "Closed -> open", .emotionalChangeType = 1,
         .conflict = "None left", .colours = {"Repeating Imagery"},
         .cast = {{"Ruth Kaminski", "Drives down"}, {"Mikey Kaminski", "Rides beside her"}}},

        // The optional cards: two debate cards, four bad-guys cards.
        {.tag = "debateHome", .place = Place::OptionCard, .number = 0, .heading = "INT. PLOUGH CAB - NIGHT",
         .location = "Plough Cab",
         .description = "Debate: HOME\nRuth wants to call it in and go home: \"Three more days and I'm nobody's "
                        "problem.\" Danny, grey from blood loss, begs her not to radio the police.",
         .emotionalChange = "Detached -> torn", .emotionalChangeType = 2, .conflict = "Ruth vs. Danny",
         .cast = {{"Ruth Kaminski", "Wants out"}, {"Danny Okafor", "Begs"}}},
        {.tag = "debateWork", .place = Place::OptionCard, .number = 1, .heading = "INT. PLOUGH CAB - NIGHT",
         .location = "Plough Cab",
         .description = "Debate: WORK\nMikey, on the radio: the slide below Switchback 4 has closed the road. Nobody "
                        "can come up and nobody can go down. The job has decided for her.",
         .emotionalChange = "Options -> none", .emotionalChangeType = 2, .conflict = "Ruth vs. the mountain",
         .colours = {"B Story"}, .cast = {{"Mikey Kaminski", "Brings the news"}, {"Ruth Kaminski", "Takes it"}}},
        {.tag = "antenna", .place = Place::OptionCard, .number = 2, .heading = "EXT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter",
         .description = "Bad Guys Close In: EXTERNAL\nVoss's men cut the shelter's antenna and drain the plough's "
                        "tank. The only way off the mountain now is on foot.",
         .emotionalChange = "Connected -> cut off", .emotionalChangeType = 2, .conflict = "Ruth vs. Voss",
         .cast = {{"Voss", "Cuts the antenna"}}},
        {.tag = "fever", .place = Place::OptionCard, .number = 3, .heading = "INT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter",
         .description = "Bad Guys Close In: INTERNAL\nDanny's wound turns bad. For the first time tonight Ruth's hands "
                        "shake: she is back in the field hospital.",
         .emotionalChange = "Steady -> shaking", .emotionalChangeType = 2, .conflict = "Ruth vs. her memory",
         .colours = {"Character A Arc"}, .cast = {{"Danny Okafor", "Fading"}, {"Ruth Kaminski", "Falters"}}},
        {.tag = "snowcat", .place = Place::OptionCard, .number = 4, .heading = "EXT. KESSLER PASS ROAD - SUMMIT - NIGHT",
         .location = "Kessler Pass Road",
         .description = "Bad Guys Close In: EXTERNAL\nCal arrives at the shelter in the county snowcat - with Voss "
                        "in the passenger seat.",
         .emotionalChange = "Rescued -> betrayed", .emotionalChangeType = 2, .conflict = "Ruth vs. Cal",
         .colours = {"Character B Arc"}, .cast = {{"Cal Brannigan", "Brings the enemy"}, {"Voss", "Rides along"}}},
        {.tag = "keyring", .place = Place::OptionCard, .number = 5, .heading = "INT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter",
         .description = "Bad Guys Close In: INTERNAL\nRuth sees the Northline keyring in Cal's hand and understands. "
                        "Her oldest friend won't meet her eyes.",
         .emotionalChange = "Trust -> grief", .emotionalChangeType = 2, .conflict = "Ruth vs. Cal",
         .colours = {"Character B Arc"}, .cast = {{"Ruth Kaminski", "Understands"}, {"Cal Brannigan", "Looks away"}}},

        // Scene cards of the writer's own, placed by page.
        {.tag = "cameras", .place = Place::Board, .number = 3, .heading = "INT. HIGHWAY DEPOT - DISPATCH - NIGHT",
         .location = "Highway Depot",
         .description = "Mikey shows his mother the new road cameras: eighteen feeds up the whole pass. Ruth: \"I've "
                        "got two eyes and a windscreen.\" He turns back to his screens.",
         .emotionalChange = "Eager -> hurt", .emotionalChangeType = 2, .conflict = "Mikey vs. Ruth",
         .colours = {"B Story"},
         .cast = {{"Mikey Kaminski", "Shows off the cameras"}, {"Ruth Kaminski", "Brushes him off"}}},
        {.tag = "gear", .place = Place::Board, .number = 8, .heading = "INT. PLOUGH CAB - NIGHT",
         .location = "Plough Cab",
         .description = "Ruth checks her gear for the last time: chains, shovel, thermos, the flare gun (\"for "
                        "avalanches, not for show\"). The medic kit stays locked in the toolbox. She doesn't look at "
                        "it.",
         .emotionalChange = "Routine -> avoidance", .conflict = "Ruth vs. her past", .colours = {"Character A Arc"},
         .cast = {{"Ruth Kaminski", "Avoids the medic kit"}}},
        {.tag = "forecourt", .place = Place::Board, .number = 10, .heading = "EXT. SUMMIT STOP - FORECOURT - NIGHT",
         .location = "Summit Stop",
         .description = "Cal walks Ruth to her plough, spinning a new keyring on his finger: a gold Northline Freight "
                        "logo. \"Security gig.\" She doesn't think about it. We should.",
         .emotionalChange = "Warm -> warm", .conflict = "Cal vs. his conscience", .colours = {"Character B Arc"},
         .cast = {{"Cal Brannigan", "Friendly, with a secret"}, {"Ruth Kaminski", "Trusts him"}},
         .script = {{"Action", "Snow blows sideways under the sodium lights. CAL BRANNIGAN (52), county deputy, walks "
                               "Ruth to her plough with two coffees. A gold keyring spins on his finger: the "
                               "NORTHLINE FREIGHT logo."},
                    {"Character", "RUTH"},
                    {"Dialogue", "Since when do you wear jewellery?"},
                    {"Character", "CAL"},
                    {"Dialogue", "Security gig. They give you a keyring and a pension plan."},
                    {"Character", "RUTH"},
                    {"Dialogue", "Nobody ever gave me either."},
                    {"Character", "CAL"},
                    {"Dialogue", "Three more nights, Ruthie. Then you can sleep till spring."},
                    {"Action", "She climbs into the cab. He watches her tail lights until the snow swallows them, "
                               "and stops spinning the keyring."}}},
        {.tag = "digout", .place = Place::Board, .number = 16, .heading = "EXT. KESSLER PASS ROAD - SWITCHBACK 7 - NIGHT",
         .location = "Kessler Pass Road",
         .description = "Ruth digs Danny out through the back window while the engine still ticks. He clutches a "
                        "small plastic case and won't let go of it.",
         .emotionalChange = "Duty -> concern", .emotionalChangeType = 1, .conflict = "Ruth vs. the wreck",
         .cast = {{"Ruth Kaminski", "Digs"}, {"Danny Okafor", "Won't let go of the case"}}},
        {.tag = "medkit", .place = Place::Board, .number = 21, .heading = "INT. PLOUGH CAB - NIGHT",
         .location = "Plough Cab",
         .description = "Ruth unlocks the medic kit. Her hands remember what the rest of her has tried to forget. "
                        "Danny, through his teeth: \"You've done this before.\" \"Not for a long time.\"",
         .emotionalChange = "Buried -> awake", .emotionalChangeType = 1, .conflict = "Ruth vs. her past",
         .colours = {"Character A Arc", "Major Turns"},
         .cast = {{"Ruth Kaminski", "Becomes a medic again"}, {"Danny Okafor", "The patient"}},
         .script = {{"Action", "The heater roars. DANNY (29) is slumped against the passenger door, his shirt black "
                               "with blood. RUTH (46) drags the steel toolbox onto her lap and stares at the "
                               "padlock."},
                    {"Character", "DANNY"},
                    {"Dialogue", "Is that good news or bad news?"},
                    {"Action", "She spins the combination without looking. Click. Inside, a medic's kit, packed with "
                               "military neatness and untouched for years."},
                    {"Character", "RUTH"},
                    {"Dialogue", "Shirt off. This is going to hurt."},
                    {"Action", "Her hands move fast and sure: scissors, gauze, pressure. Danny watches her face "
                               "instead of the wound."},
                    {"Character", "DANNY"},
                    {"Dialogue", "You've done this before."},
                    {"Character", "RUTH"},
                    {"Dialogue", "Not for a long time."}}},
        {.tag = "snowcut", .place = Place::Board, .number = 28, .heading = "EXT. KESSLER PASS ROAD - SNOW CUT - NIGHT",
         .location = "Kessler Pass Road",
         .description = "Headlights off, Ruth tucks the plough into a snow cut as the SUV crawls past a foot from her "
                        "mirror. Danny holds his breath so as not to make a sound.",
         .emotionalChange = "Exposed -> hidden", .emotionalChangeType = 1, .conflict = "Ruth vs. Voss",
         .cast = {{"Ruth Kaminski", "Hides the plough"}, {"Danny Okafor", "Holds his breath"}, {"Voss", "Passes by"}}},
        {.tag = "wall", .place = Place::Board, .number = 34, .heading = "EXT. KESSLER PASS ROAD - SWITCHBACK 11 - NIGHT",
         .location = "Kessler Pass Road",
         .description = "Ruth drops her blade and builds a six-foot wall of snow across the road behind her. The SUV "
                        "slews into it. Mikey, on camera: \"Mum... did you just plough a car?\"",
         .emotionalChange = "Fleeing -> fighting", .emotionalChangeType = 1, .conflict = "Plough vs. SUV",
         .colours = {"B Story"},
         .cast = {{"Ruth Kaminski", "Builds the wall"}, {"Mikey Kaminski", "Watches on camera"},
                  {"Voss", "Stuck"}}},
        {.tag = "ledger", .place = Place::Board, .number = 40, .heading = "INT. PLOUGH CAB - NIGHT",
         .location = "Plough Cab",
         .description = "Danny explains the flash drive: Northline Freight's second set of books, ten years of "
                        "smuggling through the pass. \"Why you?\" \"Because I'm the one who noticed.\"",
         .emotionalChange = "Suspicious -> allied", .emotionalChangeType = 1, .conflict = "Ruth vs. Danny",
         .cast = {{"Danny Okafor", "Explains"}, {"Ruth Kaminski", "Decides he's worth it"}}},
        {.tag = "diner", .place = Place::Board, .number = 47, .heading = "INT. SUMMIT STOP - DINER - NIGHT",
         .location = "Summit Stop",
         .description = "The diner is dark and locked for the winter. Ruth breaks in for painkillers and coffee. The "
                        "owner's goodbye note is still on the counter. Voss's SUV glides past the window.",
         .emotionalChange = "Relief -> fear", .emotionalChangeType = 2, .conflict = "Ruth vs. Voss",
         .cast = {{"Ruth Kaminski", "Breaks in"}, {"Danny Okafor", "Keeps watch, badly"}, {"Voss", "Outside"}}},
        {.tag = "why", .place = Place::Board, .number = 52, .heading = "INT. HIGHWAY DEPOT - DISPATCH - NIGHT",
         .location = "Highway Depot",
         .description = "Mikey asks the question he has never asked: why she left the army. She tells him the start "
                        "of the story and stops. \"Later.\" He lets her.",
         .emotionalChange = "Guarded -> open", .emotionalChangeType = 1, .conflict = "Mother vs. son",
         .colours = {"B Story"}, .cast = {{"Mikey Kaminski", "Asks"}, {"Ruth Kaminski", "Almost answers"}}},
        {.tag = "static", .place = Place::Board, .number = 60, .heading = "INT. HIGHWAY DEPOT - DISPATCH - NIGHT",
         .location = "Highway Depot",
         .description = "One after another, Mikey's camera feeds go to static, climbing the mountain. Someone is cutting "
                        "them. He reaches for the keys to the second plough.",
         .emotionalChange = "Watching -> acting", .emotionalChangeType = 1, .conflict = "Mikey vs. Voss",
         .colours = {"B Story"}, .cast = {{"Mikey Kaminski", "Goes for the keys"}}},
        {.tag = "mattresses", .place = Place::Board, .number = 78, .heading = "INT. AVALANCHE SHELTER - NIGHT",
         .location = "Avalanche Shelter",
         .description = "Ruth burns the bunk mattresses in the stove to stay alive. The cold gets into her thinking. "
                        "She starts talking to the photograph.",
         .emotionalChange = "Fighting -> fading", .emotionalChangeType = 2, .conflict = "Ruth vs. the cold",
         .colours = {"Character A Arc"}, .cast = {{"Ruth Kaminski", "Keeps herself alive"}}},
        {.tag = "seal", .place = Place::Board, .number = 90, .heading = "INT. DAM SERVICE TUNNEL - NIGHT",
         .location = "Dam Service Tunnel",
         .description = "Mikey's plough blocks the lower mouth of the tunnel; Ruth's, refuelled from the snowcat, "
                        "seals the top. Voss is trapped inside with Danny and the drive.",
         .emotionalChange = "Chasing -> cornering", .emotionalChangeType = 1, .conflict = "Ruth and Mikey vs. Voss",
         .colours = {"B Story"},
         .cast = {{"Ruth Kaminski", "Seals the top"}, {"Mikey Kaminski", "Seals the bottom"}, {"Voss", "Trapped"},
                  {"Danny Okafor", "Hostage"}}},
        {.tag = "confession", .place = Place::Board, .number = 96, .heading = "INT. DAM SERVICE TUNNEL - NIGHT",
         .location = "Dam Service Tunnel",
         .description = "Cal finds Danny bleeding in the dark. He could finish it. Instead he presses on the wound the "
                        "way Ruth once taught him, and radios in his own confession.",
         .emotionalChange = "Bought -> redeemed", .emotionalChangeType = 1, .conflict = "Cal vs. his debts",
         .colours = {"Character B Arc"}, .cast = {{"Cal Brannigan", "Chooses"}, {"Danny Okafor", "Saved"}}},
        {.tag = "flare", .place = Place::Board, .number = 102,
         .heading = "EXT. DAM SERVICE TUNNEL - UPPER MOUTH - DAWN", .location = "Dam Service Tunnel",
         .description = "Voss takes Mikey at gunpoint. Ruth fires the flare into the cornice above the tunnel and the "
                        "snow comes down between Voss and her son. The troopers' lights climb the road.",
         .emotionalChange = "Helpless -> decisive", .emotionalChangeType = 1, .conflict = "Ruth vs. Voss",
         .colours = {"Major Turns", "Repeating Imagery"},
         .cast = {{"Voss", "Takes Mikey"}, {"Mikey Kaminski", "Hostage"}, {"Ruth Kaminski", "Fires the flare"}}},
        {.tag = "papers", .place = Place::Board, .number = 107, .heading = "INT. HIGHWAY DEPOT - OFFICE - MORNING",
         .location = "Highway Depot",
         .description = "Danny on a stretcher, the drive in an evidence bag, Cal in the back of a trooper's car. Hal "
                        "tears up Ruth's retirement papers. She doesn't stop him.",
         .emotionalChange = "Leaving -> staying", .emotionalChangeType = 1, .conflict = "Ruth vs. Hal",
         .colours = {"Theme"},
         .cast = {{"Hal Devereaux", "Tears up the papers"}, {"Ruth Kaminski", "Lets him"},
                  {"Danny Okafor", "Safe"}}},

        // Cut scenes, kept in the Litter Box.
        {.tag = "fieldHospital", .place = Place::LitterBox, .number = 5,
         .heading = "INT. ARMY FIELD HOSPITAL - NIGHT (FLASHBACK)",
         .description = "Ruth, twenty years younger, loses a young soldier on the table.\nCUT: the photograph on the "
                        "dash says it all. Let the audience fill it in.",
         .cast = {{"Ruth Kaminski", "Young medic"}}},
        {.tag = "apartment", .place = Place::LitterBox, .number = 12, .heading = "INT. DANNY'S APARTMENT - DAY",
         .description = "Danny copies the ledgers to a flash drive while his boss keeps calling.\nCUT: the film starts "
                        "on the mountain. Reveal this in the cab.",
         .cast = {{"Danny Okafor", "Copies the ledgers"}}},
        {.tag = "roadblock", .place = Place::LitterBox, .number = 44,
         .heading = "EXT. KESSLER PASS ROAD - SWITCHBACK 3 - NIGHT",
         .description = "Voss kills a state trooper at a roadblock.\nMAYBE: raises the stakes early, but makes the "
                        "troopers' arrival at the end harder to believe.",
         .cast = {{"Voss", "Shows what he is"}}},
    };

    story.setups = {
        {"gear", "The flare gun in the cab: \"for avalanches, not for show.\"", "flare",
         "Ruth fires the flare into the cornice and brings the snow down between Voss and Mikey."},
        {"gear", "The medic kit locked in Ruth's toolbox.", "medkit", "Ruth unlocks the medic kit and saves Danny."},
        {"forecourt", "Cal's new gold Northline Freight keyring.", "keyring",
         "Ruth sees the keyring in Cal's hand and knows he's on Northline's payroll."},
        {"cameras", "Mikey's new road cameras, which Ruth dismisses.", "beat13",
         "Mikey's cameras show the SUV heading for the dam service tunnel."},
        {"beat1", "The photograph face down on the dashboard.", "beat15",
         "The photograph stands upright on the dash."},
        {"beat2", "Hal: \"You can't clear a road and then say you're not responsible for who drives on it.\"",
         "papers", "Hal tears up Ruth's retirement papers and she lets him."},
    };

    story.notes = {
        {"Theme",
         "Responsibility: you can't clear the road and then say you're not responsible for who drives on it. Ruth "
         "starts the night refusing it and ends it choosing it.",
         2, 640, 40},
        {"Thriller",
         "Danger early: the wreck at Switchback 7 on page 12.\nOut of her depth: a plough driver against men with "
         "rifles.\nThe twist: the deputy she trusts is in the ledger.",
         4, 900, 40},
        {"The clock",
         "The pass closes at dawn. Every act should know what time it is: 1 a.m. the wreck, 3 a.m. the shelter, "
         "5 a.m. the tunnel, 6:40 sunrise.",
         6, 1160, 40},
        {"Questions",
         "Is Cal's turn earned? Plant one more kindness early.\nDo we need the trooper roadblock (Litter Box)?\nCan "
         "Mikey appear on screen before the Finale?",
         8, 640, 240},
    };
    return story;
}

// --- Building a story from its text ----------------------------------------------------------

// Cards of the writer's own sit a little lower in their row than the beat cards, so that a
// card lying over a beat card leaves the beat card's heading readable.
constexpr std::int64_t kCardDrop = 20;

[[noreturn]] void fail(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

void exec(sqlite3* database, const char* sql)
{
    if (sqlite3_exec(database, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(sql), QString::fromUtf8(sqlite3_errmsg(database))));
}

class SampleWriter
{
public:
    SampleWriter(Screenplaydb& story, const StoryText& text) : story_(story), text_(text) {}

    void write()
    {
        writeTitlePage();
        writeBeats();
        writeCharacters();
        writeLocations();
        Toolkit().addInitialBeatCardsForScreenplay(story_, text_.options);
        collectInitialCards();
        for (const CardText& card : text_.cards)
            writeCard(card);
        spreadBoardCards();
        writeSetupsAndPayoffs();
        writeStickyNotes();
        renumberCards();
        story_.updateProgress();
    }

private:
    void writeTitlePage()
    {
        story_.setScreenplayTitle(QString::fromUtf8(text_.title));
        // A sample's genre must be one the genre box offers, or its genre help finds no page.
        const QString genre = QString::fromUtf8(text_.genre);
        if (!storyGenres().contains(genre))
            fail(QStringLiteral("%1 is not a genre of the genre box").arg(genre));
        story_.setGenre(genre);
        story_.setPageCount(110);
        story_.save();

        Loglinedb* current = story_.currentLogline();
        if (!current)
            fail(QStringLiteral("the new story has no current logline"));
        current->setLogline(QString::fromUtf8(text_.logline));
        current->save();
        // An earlier version stays in the list of loglines, as a writer's would.
        auto earlier = std::make_unique<Loglinedb>();
        earlier->setScreenplayID(story_.screenplayID());
        earlier->setLogline(QString::fromUtf8(text_.earlierLogline));
        earlier->setCurrentLoglineFlag(0);
        earlier->insertIntoDatabase(&story_);
        story_.logLines().push_back(std::move(earlier));
    }

    void writeBeats()
    {
        for (std::int64_t number = 1; number <= 15; ++number) {
            Beatdb* beat = story_.beatForBeatNumber(number);
            if (!beat)
                fail(QStringLiteral("the new story has no beat %1").arg(number));
            beat->setDescription(QString::fromUtf8(text_.beats[static_cast<std::size_t>(number - 1)]));
            beat->save();
        }
    }

    void writeCharacters()
    {
        for (const CharacterText& text : text_.characters) {
            auto character = std::make_unique<Characterdb>();
            character->setScreenplayID(story_.screenplayID());
            character->setCharacterName(QString::fromUtf8(text.name));
            character->setAge(QString::fromUtf8(text.age));
            character->setGender(QString::fromUtf8(text.gender));
            character->setDescription(QString::fromUtf8(text.description));
            character->setWants(QString::fromUtf8(text.wants));
            character->setNeeds(QString::fromUtf8(text.needs));
            character->setNotes(QString::fromUtf8(text.notes));
            int slot = 0;
            for (const auto& [fix, note] : text.needsFixing) {
                ++slot;
                const QString key = QStringLiteral("needsFixing%1").arg(slot);
                if (!character->setValueForKey(key, QString::fromUtf8(fix)) ||
                    !character->setValueForKey(key + QStringLiteral("Notes"), QString::fromUtf8(note)))
                    fail(QStringLiteral("%1 has more than six things that need fixing").arg(text.name));
            }
            character->insertIntoDatabase(&story_);
            characterIDs_[QString::fromUtf8(text.name)] = character->characterID();
            story_.characters().push_back(std::move(character));
        }
        sortRecords(story_.characters(), &Characterdb::sortCharactersByName);
    }

    void writeLocations()
    {
        for (const LocationText& text : text_.locations) {
            auto location = std::make_unique<SceneLocationdb>();
            location->setScreenplayID(story_.screenplayID());
            location->setLocation(QString::fromUtf8(text.name));
            location->setDescription(QString::fromUtf8(text.description));
            location->setNotes(QString::fromUtf8(text.notes));
            location->insertIntoDatabase(&story_);
            locationIDs_[QString::fromUtf8(text.name)] = location->sceneLocationID();
            story_.sceneLocations().push_back(std::move(location));
        }
        sortRecords(story_.sceneLocations(), &SceneLocationdb::sortLocationsByName);
    }

    // The beat cards by beat number and the optional cards in the order they were made.
    void collectInitialCards()
    {
        for (const auto& card : story_.sceneCards()) {
            if (card->beatCardNumber() > 0)
                beatCards_[card->beatCardNumber()] = card.get();
            else
                optionCards_.push_back(card.get());
        }
    }

    SceneCarddb& cardFor(const CardText& text)
    {
        switch (text.place) {
        case Place::BeatCard:
            if (const auto found = beatCards_.find(text.number); found != beatCards_.end())
                return *found->second;
            fail(QStringLiteral("no beat card %1").arg(text.number));
        case Place::OptionCard:
            if (text.number >= 0 && text.number < static_cast<std::int64_t>(optionCards_.size()))
                return *optionCards_[static_cast<std::size_t>(text.number)];
            fail(QStringLiteral("no optional card %1").arg(text.number));
        case Place::Board:
        case Place::LitterBox:
            break;
        }
        return newCard(text);
    }

    // A card of the writer's own at the page of `text`, placed the way a card dropped on the
    // board is placed: its board beat and page follow from its position.
    SceneCarddb& newCard(const CardText& text)
    {
        const std::int64_t page = text.number;
        const BoardSections& sections = story_.boardSections();
        const std::int64_t boardBeat = sections.boardBeatSectionForPageNumber(page);
        if (boardBeat == 0)
            fail(QStringLiteral("page %1 lies on no beat of the board").arg(page));
        const std::int64_t first = sections.sectionBeginningPageNumberForBoardBeat(boardBeat);
        const std::int64_t pages = sections.sectionEndingPageNumberForBoardBeat(boardBeat) - first + 1;
        const double width = static_cast<double>(sections.boardWidthForBoardBeatSection(boardBeat));
        // The middle of the page's stretch of its row, so that the position reads back as the page.
        const std::int64_t left =
            4 + static_cast<std::int64_t>((static_cast<double>(page - first) + 0.5) / static_cast<double>(pages) * width);
        const std::int64_t top = sections.topForBoardBeatSection(boardBeat) + kCardDrop;
        if (sections.pageNumberForPositionTop(top, left) != page)
            fail(QStringLiteral("a card at page %1 would read back as page %2")
                     .arg(page)
                     .arg(sections.pageNumberForPositionTop(top, left)));

        auto card = std::make_unique<SceneCarddb>();
        card->setScreenplayID(story_.screenplayID());
        card->setOnBoard(text.place == Place::LitterBox ? 2 : 1);
        card->setCurrentBeatSection(boardBeat);
        card->setPageNumber(page);
        card->setPositionLeft(left);
        card->setPositionTop(top);
        card->setPercentageHorizontal(static_cast<float>(static_cast<double>(left - 4) / width));
        card->setPercentageVertical(static_cast<float>(static_cast<double>(top) / static_cast<double>(story_.boardHeight())));
        card->insertIntoDatabase(&story_);
        SceneCarddb& placed = *card;
        (text.place == Place::LitterBox ? story_.litterBox() : story_.sceneCards()).push_back(std::move(card));
        return placed;
    }

    void writeCard(const CardText& text)
    {
        SceneCarddb& card = cardFor(text);
        if (!cardsByTag_.emplace(QString::fromLatin1(text.tag), &card).second)
            fail(QStringLiteral("two cards are tagged %1").arg(text.tag));
        card.setHeading(QString::fromUtf8(text.heading));
        if (text.description)
            card.setDescription(QString::fromUtf8(text.description));
        card.setEmotionalChange(QString::fromUtf8(text.emotionalChange));
        card.setEmotionalChangeType(text.emotionalChangeType);
        card.setConflict(QString::fromUtf8(text.conflict));
        card.setNotes(QString::fromUtf8(text.notes));
        if (text.location)
            card.setSceneLocationID(idOf(locationIDs_, text.location));
        for (const char* colour : text.colours)
            addColour(card, colour);
        card.save();

        for (const Appearance& appearance : text.cast) {
            auto link = std::make_unique<SceneCardCharacterdb>();
            link->setSceneCardID(card.sceneCardID());
            link->setCharacterID(idOf(characterIDs_, appearance.character));
            link->setDescription(QString::fromUtf8(appearance.part));
            link->setCharacterName(QString::fromUtf8(appearance.character));
            link->insertIntoDatabase(&story_);
            story_.sceneCardCharacters().push_back(std::move(link));
        }
        writeScript(card, text);
    }

    // Every card has at least one paragraph: the initial cards got an empty "Action" paragraph
    // from the toolkit; a new card gets its script or, like a card the program makes, that
    // empty paragraph.
    void writeScript(const SceneCarddb& card, const CardText& text)
    {
        const bool initialCard = text.place == Place::BeatCard || text.place == Place::OptionCard;
        if (initialCard) {
            if (!text.script.empty())
                fail(QStringLiteral("%1: only new cards carry a script").arg(text.tag));
            return;
        }
        const std::vector<ScriptLine> empty = {{"Action", ""}};
        std::int64_t sortOrder = 0;
        for (const ScriptLine& line : text.script.empty() ? empty : text.script) {
            const ScriptElementdb* element = story_.elementForElementType(QString::fromLatin1(line.element));
            if (!element)
                fail(QStringLiteral("the story has no script element %1").arg(line.element));
            ScriptPartdb paragraph;
            paragraph.setSceneCardID(card.sceneCardID());
            paragraph.setSortOrder(++sortOrder);
            paragraph.setElementTypeID(element->scriptElementID());
            paragraph.setScriptText(QString::fromUtf8(line.text));
            paragraph.insertIntoDatabase(&story_);
        }
    }

    void addColour(SceneCarddb& card, const char* description)
    {
        std::int64_t colourID = 0;
        for (const auto& code : story_.colorCodes())
            if (code->description() == QLatin1String(description))
                colourID = code->colorCodeID();
        if (colourID == 0)
            fail(QStringLiteral("the story has no colour code %1").arg(description));
        for (int slot = 1; slot <= 6; ++slot) {
            if (card.colorLegendID(slot) == colourID)
                return;
            if (card.colorLegendID(slot) == 0) {
                card.setColorLegendID(slot, colourID);
                return;
            }
        }
        fail(QStringLiteral("%1 has no free colour slot").arg(card.heading()));
    }

    void writeSetupsAndPayoffs()
    {
        for (const SetupText& text : text_.setups) {
            const SceneCarddb& setupCard = taggedCard(text.setupCard);
            const SceneCarddb& payoffCard = taggedCard(text.payoffCard);

            auto payoff = std::make_unique<ScenePayoffdb>();
            payoff->setSceneCardID(payoffCard.sceneCardID());
            payoff->setScenePayoff(QString::fromUtf8(text.payoff));
            payoff->insertIntoDatabase(&story_);

            auto setup = std::make_unique<SceneSetupdb>();
            setup->setSceneCardID(setupCard.sceneCardID());
            setup->setSceneSetup(QString::fromUtf8(text.setup));
            setup->setScenePayoffID(payoff->scenePayoffID());
            setup->insertIntoDatabase(&story_);
            setup->setScenePayoff(payoff->scenePayoff());
            payoff->setSceneSetupID(setup->sceneSetupID());
            payoff->setSceneSetup(setup->sceneSetup());

            story_.scenePayoffs().push_back(std::move(payoff));
            story_.sceneSetups().push_back(std::move(setup));
        }
    }

    void writeStickyNotes()
    {
        const double boardWidth = static_cast<double>(story_.generalNotesWidth());
        const double boardHeight = static_cast<double>(story_.generalNotesHeight());
        for (const NoteText& text : text_.notes) {
            auto note = std::make_unique<StickyNotedb>();
            note->setScreenplayID(story_.screenplayID());
            note->setTitle(QString::fromUtf8(text.title));
            // The note board shows `note` as formatted text and falls back to the plain text;
            // both are stored as the board stores a note, so opening the sample rewrites neither.
            note->setNote(QString::fromUtf8(rtfForPlainText(QString::fromUtf8(text.text))));
            note->setTextNote(QString::fromUtf8(text.text));
            note->setColor(text.colour);
            note->setPositionLeft(text.left);
            note->setPositionTop(text.top);
            note->setPercentageHorizontal(static_cast<float>(static_cast<double>(text.left) / boardWidth));
            note->setPercentageVertical(static_cast<float>(static_cast<double>(text.top) / boardHeight));
            note->setSizeWidth(240);
            note->setSizeHeight(170);
            note->insertIntoDatabase(&story_);
            story_.stickyNotes().push_back(std::move(note));
        }
    }

    // The board in board order (beat, then horizontal place) numbered 1 to n, as after a move
    // on the board; the Litter Box numbered in the same order.
    // No card of a sample's board covers another's text. The board is made wider, which keeps
    // every card's fraction of its row and so its page, and each row tall enough for tiers of
    // cards: a card takes the highest tier of its row where it clears the card before it.
    void spreadBoardCards()
    {
        constexpr std::int64_t kBoardWidth = 3600;
        constexpr std::int64_t kGap = 8;
        // The beat bars along the bottom of each row at the samples' zoom.
        constexpr std::int64_t kBeatBarHeight = 28;
        constexpr std::array<std::int64_t, 4> kFirstBeatOfRow{1, 9, 14, 19};
        BoardSections& sections = story_.boardSections();
        const std::int64_t cardWidth = sections.STANDARDSCENECARDWIDTH();
        const std::int64_t cardHeight = sections.STANDARDSCENECARDHEIGHT();
        const double rowWidth = static_cast<double>(kBoardWidth - cardWidth - 8);
        const auto rowOf = [](std::int64_t boardBeat) {
            return boardBeat >= 19 ? 3 : boardBeat >= 14 ? 2 : boardBeat >= 9 ? 1 : 0;
        };
        // The card's left on the wider board; a card the toolkit placed a few points off its
        // page's stretch is put in the middle of it.
        story_.setBoardSize(kBoardWidth, story_.boardHeight());
        const auto leftOf = [&sections, rowWidth](const SceneCarddb& card) {
            const std::int64_t left =
                static_cast<std::int64_t>(static_cast<double>(card.percentageHorizontal()) * rowWidth) + 4;
            const std::int64_t rowTop = sections.topForBoardBeatSection(card.currentBeatSection());
            if (sections.pageNumberForPositionTop(rowTop, left) == card.pageNumber())
                return left;
            const std::int64_t first = sections.sectionBeginningPageNumberForBoardBeat(card.currentBeatSection());
            const std::int64_t pages = sections.sectionEndingPageNumberForBoardBeat(card.currentBeatSection()) - first + 1;
            return 4 + static_cast<std::int64_t>((static_cast<double>(card.pageNumber() - first) + 0.5) /
                                                 static_cast<double>(pages) * rowWidth);
        };

        std::vector<SceneCarddb*> cards;
        for (const auto& card : story_.sceneCards())
            cards.push_back(card.get());
        std::sort(cards.begin(), cards.end(), [&](const SceneCarddb* a, const SceneCarddb* b) {
            const int rowA = rowOf(a->currentBeatSection());
            const int rowB = rowOf(b->currentBeatSection());
            return rowA != rowB ? rowA < rowB : a->percentageHorizontal() < b->percentageHorizontal();
        });
        std::array<std::vector<std::int64_t>, 4> tierEnds;
        std::vector<std::pair<SceneCarddb*, std::size_t>> tiers;
        std::size_t tierCount = 1;
        for (SceneCarddb* card : cards) {
            std::vector<std::int64_t>& ends = tierEnds[static_cast<std::size_t>(rowOf(card->currentBeatSection()))];
            const std::int64_t left = leftOf(*card);
            std::size_t tier = 0;
            while (tier < ends.size() && ends[tier] + kGap > left)
                ++tier;
            if (tier == ends.size())
                ends.push_back(0);
            ends[tier] = left + cardWidth;
            tierCount = std::max(tierCount, ends.size());
            tiers.emplace_back(card, tier);
        }

        const std::int64_t tierHeight = cardHeight + kGap;
        const std::int64_t rowHeight = static_cast<std::int64_t>(tierCount) * tierHeight + kBeatBarHeight + 2 * kGap;
        const std::int64_t boardHeight = std::max<std::int64_t>(4 * rowHeight + 8, 720);
        story_.setBoardSize(kBoardWidth, boardHeight);
        story_.save();
        for (const auto& [card, tier] : tiers) {
            const std::int64_t row = rowOf(card->currentBeatSection());
            const std::int64_t left = leftOf(*card);
            const std::int64_t top = sections.topForBoardBeatSection(kFirstBeatOfRow[static_cast<std::size_t>(row)]) + 2 +
                                     static_cast<std::int64_t>(tier) * tierHeight;
            if (sections.pageNumberForPositionTop(top, left) != card->pageNumber())
                fail(QStringLiteral("spread out, the card of page %1 would read back as page %2")
                         .arg(card->pageNumber())
                         .arg(sections.pageNumberForPositionTop(top, left)));
            card->setPositionLeft(left);
            card->setPercentageHorizontal(static_cast<float>(static_cast<double>(left - 4) / rowWidth));
            card->setPositionTop(top);
            card->setPercentageVertical(
                static_cast<float>(static_cast<double>(top) / static_cast<double>(boardHeight)));
            card->save();
        }
    }

    void renumberCards()
    {
        sortRecords(story_.sceneCards(), &SceneCarddb::sortByLocation);
        story_.resetOnBoardSceneCardSortOrder();
        sortRecords(story_.litterBox(), &SceneCarddb::sortByLocation);
        std::int64_t sortOrder = 0;
        for (const auto& card : story_.litterBox()) {
            card->setSortOrder(++sortOrder);
            card->save();
        }
        sortRecords(story_.sceneSetups(), &SceneSetupdb::sortBySceneCardID);
        sortRecords(story_.scenePayoffs(), &ScenePayoffdb::sortBySceneCardID);
    }

    const SceneCarddb& taggedCard(const char* tag) const
    {
        const auto found = cardsByTag_.find(QString::fromLatin1(tag));
        if (found == cardsByTag_.end())
            fail(QStringLiteral("no card is tagged %1").arg(tag));
        return *found->second;
    }

    static std::int64_t idOf(const std::map<QString, std::int64_t>& ids, const char* name)
    {
        const auto found = ids.find(QString::fromUtf8(name));
        if (found == ids.end())
            fail(QStringLiteral("%1 is not in the story").arg(name));
        return found->second;
    }

    Screenplaydb& story_;
    const StoryText& text_;
    std::map<QString, std::int64_t> characterIDs_;
    std::map<QString, std::int64_t> locationIDs_;
    std::map<std::int64_t, SceneCarddb*> beatCards_;
    std::vector<SceneCarddb*> optionCards_;
    std::map<QString, SceneCarddb*> cardsByTag_;
};

// Makes `target` from the templates: a story file from the story template, filled with the
// defaults from a master file copied from the master template, then written out.
void writeSample(const StoryText& text, const QString& masterPath, const QString& target)
{
    const QString temporary = target + QStringLiteral(".tmp");
    QFile::remove(temporary);
    if (!StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), temporary))
        fail(QStringLiteral("cannot copy the story template to %1").arg(temporary));
    try {
        if (!Toolkit().populateDefaults(masterPath, temporary))
            fail(QStringLiteral("cannot fill %1 with the new-story defaults").arg(temporary));
        DatabaseConnection connection = StoryFile::open(temporary);
        {
            Screenplaydb story;
            story.initWithDatabase(connection.get());
            story.setFileName(target);
            story.hydrate();
            exec(connection.get(), "BEGIN");
            SampleWriter(story, text).write();
            exec(connection.get(), "COMMIT");
            story.finalizeAllSqliteStatements();
        }
        connection.close();
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        fail(QStringLiteral("cannot rename %1 to %2").arg(temporary, target));
    }
}

// The story model reports its routine work on the debug channel; the build only wants warnings.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv)
{
    // Formatted note text is made with Qt's text documents, which need the GUI library but
    // no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    qInstallMessageHandler(quietHandler);
    int exitCode = 0;
    const std::optional<QString> output = outputFolderArgument(argc, argv, exitCode);
    if (!output)
        return exitCode;
    const QString folder = *output;
    QTemporaryDir scratch;
    const QString masterPath = scratch.filePath(QStringLiteral("Master.%1").arg(QLatin1String(StoryFile::kMasterExtension)));
    if (!scratch.isValid() || !StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), masterPath)) {
        std::fprintf(stderr, "cannot copy the master template\n");
        return 1;
    }
    try {
        for (const StoryText& story : {balloonRace(), kesslerPass()}) {
            const QString name = QStringLiteral("Sample - %1.%2")
                                     .arg(QString::fromUtf8(story.title), QLatin1String(StoryFile::kExtension));
            writeSample(story, masterPath, QDir(folder).filePath(name));
        }
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
