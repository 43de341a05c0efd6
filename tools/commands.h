// The subcommands of quarvel-tool; each takes the arguments after its own name.
#pragma once

// Each command's usage, for its argument errors and for --help.
extern const char MkdataUsage[];
extern const char Sc0Usage[];
extern const char RenderUsage[];
extern const char BenchUsage[];
extern const char SoakUsage[];

int MkdataCommand(int argc, char** argv);
int Sc0Command(int argc, char** argv);
int RenderCommand(int argc, char** argv);
int BenchCommand(int argc, char** argv);
int SoakCommand(int argc, char** argv);
