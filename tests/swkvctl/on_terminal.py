# Runs a command with standard output and standard error on a pseudo-terminal of 80 columns (or
# $COLUMNS_OF_TERMINAL) and prints what the terminal got, line ends as a file has them, so that
# a console session can show what swkvctl does on a terminal: colours (shown by `cat -v`), widths.
# With $TYPED_AT_TERMINAL (Python escapes: "\t" for Tab, "\x04" for Ctrl-D) standard input is the
# terminal too, and those keys are typed at it once the shell's first prompt is there (the line
# editor drops what was typed before it set the terminal up).
import fcntl, os, pty, struct, subprocess, sys, termios

master, slave = pty.openpty()
columns = int(os.environ.get("COLUMNS_OF_TERMINAL", "80"))
fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
typed = os.environ.get("TYPED_AT_TERMINAL")
process = subprocess.Popen(sys.argv[1:], stdin=slave if typed is not None else None,
                           stdout=slave, stderr=slave)
os.close(slave)
got = b""
while True:
    try:
        chunk = os.read(master, 65536)
    except OSError:  # the terminal is closed once the command ended and everything was read
        break
    if not chunk:
        break
    got += chunk
    if typed is not None and b"> " in got[got.find(b"swkvctl:"):]:
        os.write(master, typed.encode("utf-8").decode("unicode_escape").encode("latin-1"))
        typed = None
sys.stdout.write(got.decode("utf-8", "replace").replace("\r\n", "\n"))
sys.exit(process.wait())
