package test;

/** A single-instance application whose secondaryMain returns nothing. */
public class SecondaryVoid {
  public static void main(String[] args) {
    System.out.println("primary started");
  }

  public static void secondaryMain(String[] args) {
    StringBuilder line = new StringBuilder("secondaryMain");
    for (String arg : args) line.append(' ').append(arg);
    System.out.println(line);
  }
}
