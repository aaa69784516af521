# The main window's fonts and colours and the one way a picture is saved,
# shared by the drawing scripts (artlib.py is the same for the Python ones).
# Source it after setting out, the folder the pictures go to.
font=DejaVu-Sans
bold=DejaVu-Sans-Bold
header_top='#17466e'
header_bottom='#2b6ea8'
panel='#e9eff5'
page='#ffffff'
frame='#c9d6e3'
ink='#1d2b38'
soft='#6b7f93'
accent='#2b6ea8'
hover='#d5e5f4'
green='#2e9b4a'
red='#c8321e'
band='#f3f7fb'
key='#ff00ff'

save() { local name=$1; shift; convert "$@" -alpha off -type truecolor "BMP3:$out/$name"; }
