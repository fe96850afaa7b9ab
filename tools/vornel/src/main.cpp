// vornel: the game makers' command-line tool, one command per data format.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "VornelUtils/StatusText.h"

namespace {

// A command, and its usage text: printed on standard output by "vornel help NAME" and
// "vornel NAME --help", on standard error after a wrong use. The lines before the first blank
// line are the command lines; the lines after it say what they do.
struct CommandRow {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

const CommandRow kCommands[] = {
    {"version", CommandVersion,
     "usage: vornel version\n"
     "\n"
     "Prints the tool's version.\n"},
    {"image", CommandImage,
     "usage: vornel image info FILE\n"
     "       vornel image convert IN OUT\n"
     "       vornel image new RECIPE OUT [--depfile FILE]\n"
     "\n"
     "info describes an image: format, width, height and depth. convert reads a PNG, JPEG, TGA\n"
     "or raw image and writes it as PNG or JPEG, as OUT's extension says (.png, .jpg). new draws\n"
     "a picture from a recipe and writes it the same way (PNG with alpha, JPEG without);\n"
     "--depfile lists the files it was drawn from, for the build. The recipe's lines:\n"
     "  size WxH (first; at most 8192x8192), seed N (noise), then layers in order:\n"
     "  fill COLOUR\n"
     "  gradient linear X0 Y0 X1 Y1 STOP STOP ... | gradient radial CX CY R STOP STOP ...\n"
     "  rect X Y W H COLOUR [outline WIDTH] [round RADIUS]\n"
     "  disc CX CY R COLOUR | ring CX CY R WIDTH COLOUR\n"
     "  polygon COLOUR X Y X Y X Y ... | line X0 Y0 X1 Y1 WIDTH COLOUR\n"
     "  noise SCALE AMPLITUDE grey|rgb\n"
     "  text X Y SIZE left|centre|right COLOUR \"TEXT\" [font FILE]   (Y is the baseline)\n"
     "  picture FILE X Y [W H]   (a PNG, JPEG or TGA, or another recipe)\n"
     "  grid COLSxROWS [cell WxH] FILE ...   (one file per cell, row by row; - for none)\n"
     "COLOUR is #RRGGBB or #RRGGBBAA, STOP is AT:COLOUR (AT 0 to 1), pixels have y down, files\n"
     "are found beside the recipe, and '#' starts a comment. A bad recipe is named with its\n"
     "line, and nothing is written.\n"},
    {"pack", CommandPack,
     "usage: vornel pack create OUT.pak FOLDER [FOLDER ...]\n"
     "       vornel pack list PAK\n"
     "       vornel pack cat PAK NAME\n"
     "\n"
     "create packs every file below each FOLDER, named by its path below that folder with '/';\n"
     "a name found in two folders is refused. list prints each entry's name and size; cat\n"
     "writes one entry to standard output.\n"},
    {"settings", CommandSettings,
     "usage: vornel settings scramble IN OUT\n"
     "\n"
     "Turns a settings text into the scrambled block that the program stores in itself.\n"},
    {"sound", CommandSound,
     "usage: vornel sound new RECIPE OUT.wav\n"
     "       vornel sound info FILE.wav\n"
     "\n"
     "Draws a sound from a recipe and writes it as a RIFF WAVE PCM file. The recipe's lines:\n"
     "  rate HZ (8000-48000), bits 8|16, channels 1|2, seed N (noise), length SECONDS, loop\n"
     "  tone AT LENGTH sine|square|saw|triangle HZ|FROM:TO [gain G] [adsr A D S R]\n"
     "  noise AT LENGTH white|lowpass [cutoff HZ] [gain G] [adsr A D S R]\n"
     "  silence AT LENGTH\n"
     "Times in seconds; events are added and clipped; '#' starts a comment. loop makes the end\n"
     "run seamlessly into the start. A bad recipe is named with its line, and nothing is written.\n"
     "info prints a WAV file's format, sizes and duration, and for 8- and 16-bit PCM the peak\n"
     "and RMS level of each channel (1.0 is full scale).\n"},
    {"devflags", CommandDevflags,
     "usage: vornel devflags write OUT [--developer 0|1] [--prefetch 0|1] [--truetype 0|1]\n"
     "       vornel devflags show FILE\n"
     "\n"
     "write makes the developer flags file of a data folder (\"prefetch.params\"; a flag not\n"
     "given is 0): developer turns the developer keys and texts on, truetype 0 takes the main\n"
     "font's kind from the settings instead of TrueType. show prints the flags of a file.\n"},
    {"profile", CommandProfile,
     "usage: vornel profile dump FILE\n"
     "\n"
     "Prints every chunk of a profile file (its offset, tag, total and payload sizes and\n"
     "children), and decodes the profile's own chunks 10001 to 10010, the scene objects, and the\n"
     "managers' chunks 40000 to 130000 and 220000 (objectives) with the game's readers.\n"
     "A file the game cannot read is named with the reason, with exit status 1.\n"},
    {"model", CommandModel,
     "usage: vornel model info FILE.3dx [--vertices]\n"
     "       vornel model build IN.txt OUT.3dx\n"
     "       vornel model convert IN.obj OUT.3dx\n"
     "       vornel model shape KIND OUT.3dx [KEY=VALUE ...]\n"
     "       vornel model atlas IN.3dx TEXTURE_DIR OUT_DIR --page WxH [--force]\n"
     "\n"
     "info prints a model as text: its header, each group's record, name, texture, material and\n"
     "tracks (schedule and keys), and with --vertices its vertices and indices. build writes that\n"
     "text back as a .3dx file: for a file the engine wrote, info --vertices then build gives it\n"
     "byte for byte; a track without schedule entries gets the schedule its keys make. convert\n"
     "reads a .obj file of Cinema4D or of the 3ds Max exporter v0.94b (told by its first line)\n"
     "and writes it as .3dx with every block. A bad text is named with its line, a file the\n"
     "engine refuses with the reader's status, and nothing is written.\n"
     "shape builds a built-in shape on the GL renderer and writes it: KIND 10 sphere, 11 half\n"
     "sphere, 20/21/22 disc (fan, list, separate triangles), 30 grid, 40 box, 50 axis cross,\n"
     "60 pyramid or cone outline, 70 random relief, 80 tube wall, 90 disc in rings, 100 points\n"
     "on a sphere; a KEY it does not know is answered with the kind's keys (counts and colours\n"
     "decimal or 0x hexadecimal). atlas loads the model with its textures from TEXTURE_DIR,\n"
     "packs them into pages of at most WxH written as OUT_DIR/atlas.N.png, and writes the model,\n"
     "retextured, as OUT_DIR/<its name>; without --force no atlas is made when the pages would\n"
     "hold more pixels than the textures.\n"},
    {"scene", CommandScene,
     "usage: vornel scene build SCENE OUTDIR --base NAME --number K\n"
     "       vornel scene dump FILE.raw\n"
     "\n"
     "build writes the element-info file OUTDIR/NAME_object_K.raw of a scene source, with its\n"
     "models NAME_object_K.obj.3dx and .col.3dx (a group per element) and its animation file\n"
     "NAME_object_K.ani.raw; dump prints an element-info file in the source's syntax, with the\n"
     "model files beside it, or why it cannot be read. The source's lines,\n"
     "in reference pixels (origin top-left, y down); '#' at the start of a word is a comment:\n"
     "  object NAME [overlay=N] [bias=N] [marks=FIRST,LAST]\n"
     "  size WORD | variant BYTE ... | sound NAME\n"
     "  zone NAME LEFT TOP RIGHT BOTTOM [word=N] [flag=N]\n"
     "  position NAME X Y Z   (the object's; the first is its base point)\n"
     "  element NAME at=X,Y size=W,H [z=Z] [anchor=0..29] [zone=ZONE] [hit=ZONE] [proxy=ELEMENT]\n"
     "          [material=ELEMENT] [lock=ELEMENT] [inactive] [pickable=0] [additive]\n"
     "          [colour=#AARRGGBB] [ref=N] [textsize=N] [textrect=N] [passmask=N] [margin=F]\n"
     "          [place=X,Y,Z] [pivot=X,Y]\n"
     "then, indented under the element:\n"
     "  position NAME X Y Z | rotation NAME V | scale NAME V\n"
     "  track NAME word=MODE flag=N range=SECONDS first=N last=N   (range 0: the keys' pace)\n"
     "  texture NAME | hit polygon X,Y X,Y X,Y ...   (about the centre; else the quad)\n"
     "  anim scale|position|rotation|alpha|colour DURATION=VALUE ...   (30ths of a second;\n"
     "       scale and alpha V, position and rotation X,Y,Z, colour #AARRGGBB)\n"
     "  effect storm|flicker|pulse|flicker-cycle|drift [SECONDS MIN MAX ANGLE]\n"
     "  extra W0 W1 W2 W3\n"
     "  raw [lead=N] [flag4=N] [word=N] [anim=A,B] [link=ELEMENT] [slot=N] [bounds=L,T,R,B]\n"
     "      [offset=X,Y]\n"
     "\"-\" names an unnamed position, rotation, scale or track. Draw slots follow the file\n"
     "order, the bounds the size about the centre, and the name index and marks are derived;\n"
     "the raw keys override them. Duplicate names and unknown references are refused.\n"},
    {"construct", CommandConstruct,
     "usage: vornel construct build DESC OUT\n"
     "       vornel construct dump FILE\n"
     "\n"
     "build writes the construction file (\"NAME_construct.raw\") of a description and the labels,\n"
     "item-group and popup-group tables into \"groups/\" beside it; dump prints a construction file\n"
     "and the tables beside it as their description, or why they cannot be read (dump then build\n"
     "gives the same bytes). The description's lines; '#' starts a comment line:\n"
     "  identity TEXT            (the game's application name)\n"
     "  stamps A B RESERVED      (profiles are checked against A and B)\n"
     "  chapters-flag 0|1\n"
     "  object LABEL KIND [WORD_B]   (in index order; KIND a kind's code such as EXPLO, or\n"
     "                                its type number)\n"
     "  chapter ID LABEL         (in play order: the chapter's first level)\n"
     "  interface menu|labels|popups|toolbox|tutorial|hint|effects LABEL\n"
     "  label NAME WORD1 WORD2 BYTE1 BYTE2 @level@element ...   (a popup text's label)\n"
     "  group NAME @level@element ...   (an item group that scripts name)\n"
     "  popup NAME VALUE         (in string order: the popup texts after the extra-text slots)\n"
     "Members name a scene object and one of its elements; the game refuses a table whose\n"
     "members it cannot find. dump labels the objects object_0, object_1 ...\n"},
    {"font", CommandFont,
     "usage: vornel font render TTF CHAR_SIZE SPACING OUTDIR\n"
     "       vornel font build TTF CHAR_SIZE OUTDIR --text LANG:FILE... [--name NAME]\n"
     "       vornel font info FILE.charset\n"
     "       vornel font show FONT TEXT OUT.png [--size WxH] [--width W] [--flags F] [--char-size N]\n"
     "\n"
     "render writes the prepared glyph pair of a TrueType face into OUTDIR, named after the face:\n"
     "\"NAME.1024xH.C.S.png\" (the sheet, 1024 pixels wide) and \"NAME.1024xH.C.S.glyph\" (the cells of\n"
     "the codes 32 to 287), for characters CHAR_SIZE pixels high (1-255) with cells SPACING pixels\n"
     "wider than the advances (0-255); it prints the two files. show draws the UTF-8 TEXT with the\n"
     "engine's font through the GL renderer and saves the picture: FONT is a pair's .glyph file\n"
     "(its .png beside it), a .charset (its pages NAME.%d.png and the symbols table beside it, which\n"
     "maps the text to its codes) or a TrueType face with --char-size. One text unit is one pixel of the\n"
     "sheet; --width wraps the text at spaces to W pixels, --flags gives the text flags (0x0100\n"
     "shadow, 0x0040 upside down ...), --size the picture's size (else fitted to the text).\n"
     "build writes a charset font for the characters of the UTF-8 texts (string sources) and\n"
     "printable ASCII: \"NAME.charset\" (default name charset), its pages \"NAME.%d.png\" and\n"
     "\"_symbols.utf8.indexed.ucs2.raw\" for `vornel strings build --symbols`; LANG is a language\n"
     "code (en, fr, ru ...) whose charset mask marks the pages its text uses. info prints the\n"
     "pages of a charset: masks, characters with their cells, metrics.\n"},
    {"shader", CommandShader,
     "usage: vornel shader check FILE.gl.frag\n"
     "\n"
     "check compiles and links a GLSL fragment shader through the GL renderer, as the game loads\n"
     "it, and prints \"ok\"; a shader the driver refuses has the driver's log printed on standard\n"
     "error, and the status is 1. Without a display the renderer draws offscreen.\n"},
    {"video", CommandVideo,
     "usage: vornel video new OUT.ogv WxH FPS SECONDS [--channels N] [--rate HZ] [--tone HZ]\n"
     "       vornel video info FILE.ogv\n"
     "       vornel video frames FILE.ogv OUTDIR [--every N]\n"
     "\n"
     "new writes a test video: Theora pictures of colour bars, a block moving from left to right\n"
     "and a strip with the frame number in binary (16 cells, the lowest bit on the left), and\n"
     "Vorbis sound of a major chord on --tone (220 Hz) with --channels (2; 0 for no sound) at\n"
     "--rate (44100 Hz). FPS is N or N/D. info plays a video through the engine's player, faster\n"
     "than real time, and prints its picture size, frame rate and sound, and the time each frame\n"
     "it shows ends. frames plays it through the player on the GL renderer and writes every Nth\n"
     "frame (each one without --every) as OUTDIR/frame_NNNNN.png, numbered from 0. Without a\n"
     "display the renderer draws offscreen.\n"},
    {"particles", CommandParticles,
     "usage: vornel particles show DATA_DIR OUT.png [--settings FILE.ini] [--time S]\n"
     "\n"
     "show draws one particle of each kind with the engine's particle manager through the GL\n"
     "renderer and saves the picture: a firework, a star, a pulse, a falling star (with the extra\n"
     "picture) and a rising text, each 2 seconds long, stepped to S seconds (0 to 2, default 1).\n"
     "The pictures are those that section [PARTICULES] of FILE.ini names (\"firework.png\",\n"
     "\"star.png\", \"pulse.png\" and \"extra.png\" without it), read from DATA_DIR. The text\n"
     "is drawn with a glyph pair of DejaVu Sans.\n"},
    {"level", CommandLevel,
     "usage: vornel level run ELEMENTS.raw SCRIPT [--seed N] [--moves FILE] [--kind CODE]\n"
     "\n"
     "run plays a mini-game level outside the game: the level of kind CODE (by default the kind\n"
     "whose code is the object's name, such as CIRCLES) is built from its element-info file, the\n"
     "random generator seeded with N (1), and its script (a source or an image compiled with\n"
     "--builtins scene) runs \"OnStart\", the level's check (\"setup incomplete\" when it fails)\n"
     "and \"OnRun\". The level's words (setObjectParameters), events (setObjectExtraRender) and\n"
     "commands (_waitForEvent) reach the level itself, a refused one printed with its status;\n"
     "every other builtin prints as with script run --scene. Then each line of FILE is a move:\n"
     "  !click X Y | !press X Y | !move X Y | !release X Y   (play-item units)\n"
     "  !item NAME | !key DIR | !event NAME VALUE | !command TEXT | !frames N | !print\n"
     "!frames runs N frames of 1/30 s, !print prints the board's text form. When the level\n"
     "finishes, \"finish solved=N\" is printed and a call waiting on \"finished\" goes on.\n"},
    {"script", CommandScript,
     "usage: vornel script dump FILE [--builtins run|game|scene]\n"
     "       vornel script compile IN.script OUT.img [--builtins run|game|scene]\n"
     "       vornel script run FILE [--link LIBRARY ...] [--save-state OUT] [--load-state IN]\n"
     "                         --call NAME [--arg VALUE ...] [--resume VALUE ...] [--call NAME ...]\n"
     "       vornel script run FILE --scene [--answer BUILTIN=VALUE ...] [--elements FILE.raw]\n"
     "                         --call NAME [--arg VALUE ...] [--resume VALUE ...] [--call NAME ...]\n"
     "\n"
     "dump prints a script's functions and instructions: a source compiled with its include\n"
     "files, or a compiled image. compile writes the compiled image of a source; an image holds\n"
     "only where the same builtins are registered in the same order: none, with --builtins\n"
     "run those of run, with --builtins game those every script of the game has (the game\n"
     "loads only such images; the main script), with --builtins scene those and then the\n"
     "builtins of a scene object (its scripts). run compiles or reads the script (linked to each\n"
     "--link library), runs its top-level code, then calls each --call function with the --arg\n"
     "values after it (digits: a number; digits with '.': a float; else a text); --resume VALUE\n"
     "resumes the last call's wait with VALUE. Two builtins stand in for the game's: eTRACE(text)\n"
     "prints the text; _wait(tag) prints \"wait TAG\" and waits. --save-state writes the globals,\n"
     "the run state and the synchronized variables at the first wait; --load-state reads them in\n"
     "place of the top-level code, and the first --call continues the waiting call (its wait\n"
     "gives 0).\n"
     "\n"
     "With --scene the script has the builtins of a scene object's script instead, and each call\n"
     "of one prints \"call NAME(ARGUMENTS)\" (texts quoted). A builtin whose name begins with '_'\n"
     "waits: it prints \"wait NAME\" and suspends the script, or \"tail NAME\" and goes on when\n"
     "nothing of its function follows. Any other answers 1, or the VALUE of --answer NAME=VALUE\n"
     "(read as --arg reads it). With --elements, the item lists of the calls are resolved\n"
     "against the scene object of that element-info file, and the names they do not find are\n"
     "printed as \"trace NAME error|warning: TEXT\".\n"},
    {"strings", CommandStrings,
     "usage: vornel strings build IN.txt OUT.raw [--symbols SYMBOLS.raw] [--credits]\n"
     "       vornel strings dump FILE.raw [--symbols SYMBOLS.raw]\n"
     "\n"
     "build writes a string table from a UTF-8 text, one string a line: a byte-order mark is\n"
     "skipped, lines that start with \"//\" are comments, and \\n, \\t and \\\\ stand for a line\n"
     "feed, a tab and a backslash. dump prints each string as \"INDEX: text\", escaped the same\n"
     "way. --symbols passes the text through a symbols table (build) or back (dump), for the\n"
     "indexed tables of charset fonts. With --credits, build writes the menu's credits file\n"
     "instead: one block of at most 4096 characters, each line ended by a NUL; dump prints a\n"
     "credits file back a line at a time.\n"},
};

const char kToolUsage[] =
    "usage: vornel COMMAND [ARGUMENTS]\n"
    "       vornel help [COMMAND]\n"
    "       vornel COMMAND --help\n"
    "\n"
    "commands:\n";

const CommandRow* FindCommand(const char* name)
{
    for (const auto& row : kCommands)
        if (std::strcmp(name, row.name) == 0)
            return &row;
    return nullptr;
}

// The tool's usage: every command's command lines, from their usage texts.
void PrintToolUsage(std::FILE* out)
{
    std::fputs(kToolUsage, out);
    for (const auto& row : kCommands) {
        const std::string usage = row.usage;
        for (size_t at = 0; at < usage.size() && usage[at] != '\n';) {
            const size_t end = usage.find('\n', at);
            // "usage: " and the indentation under it are both seven characters.
            std::fprintf(out, "  %s\n", usage.substr(at + 7, end - at - 7).c_str());
            at = end + 1;
        }
    }
}

bool IsHelp(const char* argument)
{
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

int UnknownCommand(const char* name)
{
    std::fprintf(stderr, "vornel: unknown command '%s'\n\n", name);
    PrintToolUsage(stderr);
    return kExitUsage;
}

int Help(int argc, char** argv)
{
    if (argc == 0) {
        PrintToolUsage(stdout);
        return 0;
    }
    const CommandRow* row = argc == 1 ? FindCommand(argv[0]) : nullptr;
    if (!row)
        return argc == 1 ? UnknownCommand(argv[0]) : (PrintToolUsage(stderr), kExitUsage);
    std::fputs(row->usage, stdout);
    return 0;
}

} // namespace

int CommandVersion(int argc, char**)
{
    if (argc != 0)
        return kExitUsage;
    std::printf("vornel 3.115\n");
    return 0;
}

std::string StatusWords(Status status)
{
    char code[16];
    std::snprintf(code, sizeof(code), "%08X", static_cast<unsigned>(status));
    return std::string(StatusText(status)) + " (0x" + code + ")";
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintToolUsage(stderr);
        return kExitUsage;
    }
    if (std::strcmp(argv[1], "help") == 0 || IsHelp(argv[1]))
        return Help(argc - 2, argv + 2);
    const CommandRow* row = FindCommand(argv[1]);
    if (!row)
        return UnknownCommand(argv[1]);
    for (int i = 2; i < argc; ++i) {
        if (IsHelp(argv[i])) {
            std::fputs(row->usage, stdout);
            return 0;
        }
    }
    const int status = row->run(argc - 2, argv + 2);
    if (status == kExitUsage)
        std::fputs(row->usage, stderr);
    return status;
}
