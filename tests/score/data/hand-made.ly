\version "2.24.0"
\header {
  title = "Hand-made"
  tagline = ##f
}
\paper {
  #(set-paper-size "a4")
}
global = {
  \key c \major
  \time 3/4
  s4*3*3
  \bar ".|:"
  \key g \major
  \time 2/4
  s4*2*1
  \bar ":|."
}
marks = {
  \tempo 4 = 120
  \sectionLabel "Minuet"
  s4*3*3
  \set Score.currentBarNumber = #17
  \sectionLabel "First part"
  s4*2*1
}
\score {
  \new PianoStaff <<
    \new Staff = "upper" <<
      \clef treble
      \global
      \marks
      \new Voice { \autoBeamOff
        \voiceOne
        e''4. fis''8 fis''8[ g''8] | % 1
        f''8[ e''8~] e''4 d''4~ | % 2
        d''4 c''4 r4 | % 3
        d''8.[ c''16] fis''16[ cis''16 d''8] | % 17
      }
      \new Voice { \autoBeamOff
        \voiceTwo
        r4 c''4 b'4 | % 1
        R2. | % 2
        R2. | % 3
        R2 | % 17
      }
    >>
    \new Staff = "lower" <<
      \clef bass
      \global
      \new Voice { \autoBeamOff
        \oneVoice
        c4 r4 r4 | % 1
        g,2. | % 2
        c8[ e8] r4 r4 | % 3
        <g, d>4 r4 | % 17
      }
    >>
  >>
  \layout {
    \context {
      \Score
      \override BarNumber.break-visibility = ##(#f #t #t)
    }
  }
}
