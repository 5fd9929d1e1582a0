// Run by the virtual printer before every PostScript job (see PostScriptInterpreter.cpp).

namespace presswick::virtualprinter {

extern const char PostScriptPrologue[];
const char PostScriptPrologue[] = R"ps(%!PS
% Run by the virtual printer before every PostScript job. Debian's Ghostscript has no disk
% devices, so %disk0% and %disk1% are mapped here onto the volume folders (VP_VOLUMES/diskN),
% and every other device name is left alone; %disk2% and up do not exist. What the job does to
% fonts and profiles is written to VP_EVENTS, one "kind <hex>" line each.
/vp.events VP_EVENTS (w) file def
/vp.permanent false def

/vp.emit {                                   % text kind -> -
  vp.events exch writestring vp.events ( ) writestring
  dup type /nametype eq { dup length string cvs } if
  vp.events /ASCIIHexEncode filter dup 3 -1 roll writestring closefile
  vp.events (\n) writestring vp.events flushfile
} bind def

/vp.concat {                                 % a b -> ab
  exch dup length 2 index length add string
  dup dup 4 2 roll copy length 4 -1 roll putinterval
} bind def

% name -> hostname /ok | name /other | name /undefinedfilename | name /invalidfileaccess
/vp.resolve {
  dup type /stringtype ne { /other } {
    dup (%disk) anchorsearch not { pop /other } {
      pop
      dup length 2 lt { pop /other } {
        dup 1 get 37 ne { pop /other } {
          dup 0 get dup 48 ge exch 57 le and not { pop /other } {
            dup 0 get dup 48 ne exch 49 ne and { pop /undefinedfilename } {
              dup 2 1 index length 2 sub getinterval
              (/) 1 index vp.concat (/) vp.concat (/../) search
              { pop pop pop pop pop /invalidfileaccess } {
                pop exch 0 1 getinterval
                VP_VOLUMES (/disk) vp.concat exch vp.concat (/) vp.concat exch vp.concat
                exch pop /ok
              } ifelse
            } ifelse
          } ifelse
        } ifelse
      } ifelse
    } ifelse
  } ifelse
} bind def

% The operator is passed by name (/file cvx): an operator object in a procedure body would run.
/vp.name {                                   % name operator -> name'  (or the operator's error)
  exch vp.resolve
  dup /ok eq 1 index /other eq or { pop exch pop } { 3 -1 roll exch signalerror } ifelse
} bind def

/vp.status systemdict /status get def  % the real one, for host names
/file { exch /file cvx vp.name exch //file } bind def
/status { /status cvx vp.name //status } bind def
/run { /run cvx vp.name //run } bind def
/renamefile { exch /renamefile cvx vp.name exch /renamefile cvx vp.name //renamefile } bind def
% A printer reports a missing file as undefinedfilename (Ghostscript says ioerror).
/deletefile {
  /deletefile cvx vp.name
  dup vp.status { pop pop pop pop //deletefile } { /deletefile cvx /undefinedfilename signalerror } ifelse
} bind def

/vp.fontknown { dup FontDirectory exch known exch GlobalFontDirectory exch known or } bind def
/undefinefont {
  dup dup vp.fontknown { (undefinefont) } { (undefinefont-unknown) } ifelse vp.emit
  //undefinefont
} bind def

/vp.passwordok {                             % password -> bool
  dup type /integertype eq { VP_PASSWORD eq } {
    dup type /stringtype eq { VP_PASSWORD 12 string cvs eq } { pop false } ifelse
  } ifelse
} bind def
/vp.leaveserver {
  currentfile fileposition 12 string cvs (exitserver) vp.emit
  userdict /vp.permanent true put
  (%%[ exitserver: permanent state may be changed ]%%) = flush
} bind def
/vp.exitserver {                             % password -> -
  vp.passwordok { clear cleardictstack vp.leaveserver } { /exitserver cvx /invalidaccess signalerror } ifelse
} bind def
/startjob {                                  % bool password -> bool
  vp.passwordok and { vp.leaveserver true } { false } ifelse
} bind def

/vp.profile {                                % name operator -> name  (a file on one of the disks)
  1 index type /stringtype ne { /typecheck signalerror } if
  1 index vp.resolve dup /ok ne { dup /other eq { pop /undefinedfilename } if exch pop signalerror } if
  pop vp.status { pop pop pop pop pop } { /undefinedfilename signalerror } ifelse
} bind def
/vp.register { /cms_registerprofile cvx vp.profile (register) vp.emit } bind def
/vp.unregister { /cms_unregisterprofile cvx vp.profile (unregister) vp.emit } bind def

true setglobal
serverdict /exitserver { vp.exitserver } put
statusdict /cms_registerprofile { vp.register } put
statusdict /cms_unregisterprofile { vp.unregister } put
false setglobal

/vp.fontsnow { << FontDirectory { } forall GlobalFontDirectory { } forall >> } bind def
% Fonts an earlier job left in memory: each run starts as a printer that kept them.
VP_MEMORY run
clear cleardictstack
/vp.before vp.fontsnow def

% The job; an error ends it, as on a printer, and is reported the printer's way.
VP_JOB (r) file cvx stopped { handleerror } if

vp.fontsnow {
  1 index vp.before exch known { vp.before 2 index get ne } { pop true } ifelse
  { vp.permanent { (font-permanent) } { (font) } ifelse vp.emit } { pop } ifelse
} forall
() (done) vp.emit
)ps";

}  // namespace presswick::virtualprinter
